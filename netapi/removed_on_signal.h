// Paths removed when the process is stopped by SIGINT, SIGTERM or SIGHUP,
// or ends through exit(): files that hold secrets (a state file being
// written, a private configuration folder) must not outlive the process
// that made them. The handler only unlinks and removes folders (no
// allocation), then re-raises the signal with its default action.
#pragma once

#include <string>

namespace corvane::netapi {

class RemovedOnSignal {
 public:
  enum class Kind { kFile, kFolder };  // a folder is removed with its contents

  // Registers `path`; without a free place, throws std::runtime_error.
  RemovedOnSignal(const std::string& path, Kind kind);
  // Unregisters; the owner removes or keeps the path itself.
  ~RemovedOnSignal();
  RemovedOnSignal(const RemovedOnSignal&) = delete;
  RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

  // The path was renamed into place or removed: no longer to be removed.
  void Forget();

 private:
  int slot_ = -1;
};

// What the signal handler does, for tests: removes every registered path.
void RemoveRegisteredPaths();

}  // namespace corvane::netapi
