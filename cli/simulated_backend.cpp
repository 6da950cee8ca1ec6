// The simulated controller behind --simulate FILE. Commands of one session
// take turns: each holds a lock beside FILE from loading the state to
// saving it, so that concurrent commands do not lose each other's changes;
// the state is replaced by renaming a complete new file over it, so that a
// crash leaves the last complete state.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "cli/backend.h"
#include "cli/unique_fd.h"
#include "netapi/simulated/state_file.h"

namespace corvane::cli {
namespace {

using netapi::simulated::SimulatedNetwork;

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

UniqueFd LockBeside(const std::string& path) {
  const std::string lock_path = path + ".lock";
  UniqueFd lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock) throw BackendError(Reason("cannot open lock file", lock_path));
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) throw BackendError(Reason("cannot lock", lock_path));
  }
  return lock;
}

// The file's text; empty when it does not exist yet.
std::string ReadWhole(const std::string& path) {
  UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file) {
    if (errno == ENOENT) return {};
    throw BackendError(Reason("cannot read state file", path));
  }
  std::string text;
  char chunk[65536];
  while (true) {
    const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw BackendError(Reason("cannot read state file", path));
    if (n == 0) break;
    text.append(chunk, static_cast<std::size_t>(n));
  }
  return text;
}

void WriteWhole(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".new";
  UniqueFd file(::open(temporary.c_str(),
                       O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (!file) throw BackendError(Reason("cannot write", temporary));
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n =
        ::write(file.get(), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw BackendError(Reason("cannot write", temporary));
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(file.get()) != 0 || !file.Close()) {
    throw BackendError(Reason("cannot write", temporary));
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    throw BackendError(Reason("cannot replace state file", path));
  }
}

class SimulatedBackend : public Backend {
 public:
  explicit SimulatedBackend(std::string path)
      : path_(std::move(path)), lock_(LockBeside(path_)) {
    const std::string saved = ReadWhole(path_);
    try {
      network_ = saved.empty() ? netapi::simulated::NewDemoNetwork()
                               : netapi::simulated::LoadState(saved);
    } catch (const netapi::simulated::StateFileError& error) {
      throw BackendError("state file " + path_ +
                         " is unusable: " + error.what());
    }
  }

  netapi::Api& api() override { return *network_.controller; }

  void Finish() override {
    WriteWhole(path_, netapi::simulated::SaveState(network_));
  }

 private:
  std::string path_;
  UniqueFd lock_;
  SimulatedNetwork network_;
};

}  // namespace

std::unique_ptr<Backend> OpenSimulatedBackend(const std::string& state_file) {
  return std::make_unique<SimulatedBackend>(state_file);
}

}  // namespace corvane::cli
