// The simulated controller's state file as the command keeps it: a lock
// beside the file held from loading to saving, so that a command and a
// Python session never lose each other's changes; a missing file starts
// the demo domain; the state is replaced by renaming a complete new file
// (mode 600, created afresh) over it; a symbolic link is refused.
#pragma once

#include <string>

#include "netapi/simulated/state_file.h"

namespace corvane::python {

class SimulatedState {
 public:
  // Takes the lock (waiting for whoever holds it) and loads the state.
  // Throws std::runtime_error with a readable reason.
  explicit SimulatedState(std::string path);
  ~SimulatedState();
  SimulatedState(const SimulatedState&) = delete;
  SimulatedState& operator=(const SimulatedState&) = delete;

  netapi::simulated::SimulatedNetwork& network() { return network_; }
  // Writes the state and gives the lock up.
  void Save();
  void Unlock();

 private:
  std::string path_;
  int lock_ = -1;
  netapi::simulated::SimulatedNetwork network_;
};

}  // namespace corvane::python
