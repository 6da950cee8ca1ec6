// The simulated controller's state kept in a file between processes (the
// command's --simulate FILE, a Python session's state file). Those that may
// change the state take turns: each holds a lock beside FILE from loading
// the state to saving it, so that none loses another's changes; the state
// is replaced by renaming a complete new file over it, so that a crash
// leaves the last complete state and one that only reads needs no lock: it
// reads a whole file, writes nothing, and so works on a file it may not
// change. Only a state some call changed is saved. FILE holds passwords: it
// is always written mode 600 through a file made afresh, and a symbolic
// link in FILE's place is refused rather than followed.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "netapi/simulated/state_file.h"
#include "netapi/unique_fd.h"

namespace corvane::netapi::simulated {

// The state cannot be read, locked or kept; the text says why.
class StateStoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class StateAccess { kReadOnly, kMayWrite };

// Called with true when the lock is held by another and the wait begins,
// and with false when it ends.
using WaitNotice = std::function<void(bool waiting)>;

class StoredState {
 public:
  // Loads the state in `path`, or the demo domain when there is none yet;
  // one that may write (and one that makes a new state) holds the lock
  // until it is destroyed. The controller keeps no journal.
  StoredState(std::string path, StateAccess access,
              const WaitNotice& notice = {});

  SimulatedNetwork& network() { return network_; }
  // Writes the state back when it is new or a call changed it. Throws
  // StateStoreError when one that only reads changed it.
  void SaveIfChanged();
  // Gives the lock up for others; nothing is saved after.
  void Unlock() {
    lock_ = UniqueFd();
    unlocked_ = true;
  }

 private:
  std::string path_;
  UniqueFd lock_;
  bool unlocked_ = false;
  bool new_state_ = false;
  SimulatedNetwork network_;
};

}  // namespace corvane::netapi::simulated
