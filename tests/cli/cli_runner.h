// Runs the built corvane binary as a user would: arguments, standard input,
// environment; collects standard output, standard error and exit status.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::cli_test {

struct Outcome {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

// A running corvane whose standard input is still open, so that a test can
// look at the process while it waits for a password.
class RunningCommand {
 public:
  // `launcher`, when given, is a program and its arguments that run
  // corvane in the same process (setpriv, to run it as another user).
  explicit RunningCommand(const std::vector<std::string>& args,
                          const std::vector<std::string>& launcher = {});
  ~RunningCommand();
  RunningCommand(const RunningCommand&) = delete;
  RunningCommand& operator=(const RunningCommand&) = delete;

  pid_t pid() const { return pid_; }
  // Waits until the command sleeps (at its prompt, say); false after 5 s.
  bool WaitUntilAsleep() const;
  // Writes `input`, closes standard input and waits for the end.
  Outcome Finish(const std::string& input);

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
};

Outcome RunCorvane(const std::vector<std::string>& args,
                   const std::string& input = "");

// A fresh directory for one test's state and audit files.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const {
    return (path_ / name).string();
  }

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::string& path);

}  // namespace corvane::cli_test
