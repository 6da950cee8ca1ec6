// The simulated controller behind --simulate FILE, its state kept in FILE
// between commands (netapi/simulated/state_store.h).
#include <optional>
#include <string>

#include "cli/backends/backend.h"
#include "cli/report/slow_wait_notice.h"
#include "netapi/simulated/state_store.h"

namespace corvane::cli {
namespace {

using netapi::simulated::StateAccess;
using netapi::simulated::StateStoreError;
using netapi::simulated::StoredState;

// Says so on standard error when another command holds the state long.
StoredState Open(const std::string& path, Access access) {
  std::optional<SlowWaitNotice> notice;
  try {
    return StoredState(
        path,
        access == Access::kReadOnly ? StateAccess::kReadOnly
                                    : StateAccess::kMayWrite,
        [&](bool waiting) {
          if (waiting) {
            notice.emplace("corvane: waiting for another command using " +
                           path + " to finish\n");
          } else {
            notice.reset();
          }
        });
  } catch (const StateStoreError& error) {
    throw BackendError(error.what());
  }
}

class SimulatedBackend : public Backend {
 public:
  SimulatedBackend(const std::string& path, Access access)
      : state_(Open(path, access)) {}

  netapi::Api& api() override { return *state_.network().controller; }

  void Finish() override {
    try {
      state_.SaveIfChanged();
    } catch (const StateStoreError& error) {
      throw BackendError(error.what());
    }
  }

 private:
  StoredState state_;
};

}  // namespace

std::unique_ptr<Backend> OpenSimulatedBackend(const std::string& state_file,
                                              Access access) {
  return std::make_unique<SimulatedBackend>(state_file, access);
}

}  // namespace corvane::cli
