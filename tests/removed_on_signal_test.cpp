// Registered paths go when a signal ends the process, and only those.
#include "netapi/removed_on_signal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace corvane::netapi {
namespace {

namespace fs = std::filesystem;

TEST(RemovedOnSignal, ASignalRemovesRegisteredPathsAndEndsTheProcess) {
  const fs::path dir = fs::temp_directory_path() /
                       ("corvane-signal-" + std::to_string(::getpid()));
  fs::create_directories(dir / "private" / "inner");
  std::ofstream(dir / "private" / "inner" / "secrets.tdb") << "s";
  std::ofstream(dir / "state.new") << "passwords";
  std::ofstream(dir / "forgotten.new") << "renamed into place";
  std::ofstream(dir / "kept") << "not registered";

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RemovedOnSignal folder((dir / "private").string(),
                           RemovedOnSignal::Kind::kFolder);
    RemovedOnSignal file((dir / "state.new").string(),
                         RemovedOnSignal::Kind::kFile);
    RemovedOnSignal forgotten((dir / "forgotten.new").string(),
                              RemovedOnSignal::Kind::kFile);
    forgotten.Forget();
    ::raise(SIGTERM);
    ::_exit(0);  // not reached: the signal ends the process
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_FALSE(fs::exists(dir / "private"));
  EXPECT_FALSE(fs::exists(dir / "state.new"));
  EXPECT_TRUE(fs::exists(dir / "forgotten.new"));
  EXPECT_TRUE(fs::exists(dir / "kept"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace corvane::netapi
