// The platform layer a command runs on: the simulated controller, whose
// state a file keeps between commands, or the Samba backend talking to a
// real domain controller.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/parsing/request.h"
#include "netapi/account_search.h"
#include "netapi/api.h"
#include "netapi/call_trace.h"
#include "netapi/controller_logons.h"
#include "tasks/every_controller.h"

namespace corvane::cli {

// The backend cannot be set up: unreadable state, no connection.
class BackendError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual netapi::Api& api() = 0;
  // Called after the command's objects are released; keeps what the
  // command changed where the next command will find it.
  virtual void Finish() {}
};

// Whether a command may change the domain. The simulated controller's
// state is locked and saved only for one that may.
enum class Access { kReadOnly, kMayWrite };

// Read-only for the commands that only list and show, and for a batch of
// such lines only.
Access AccessFor(const Request& request);

// --simulate FILE chooses the simulated controller; otherwise the Samba
// backend. Throws UsageError for options that do not fit together and
// BackendError when the backend cannot start.
std::unique_ptr<Backend> OpenBackend(const GlobalOptions& options,
                                     Access access = Access::kMayWrite);

// How the Samba backend found its controller when no --server named one:
// the realm's controllers from DNS in the order they were tried, whether
// each answered, and which one the command uses for the whole run.
struct FoundController {
  std::string host_name;
  std::string address;
  // Empty when it answered or was not tried; else why it was passed over.
  std::string unanswered;
  bool tried = false;
};
struct ControllerLocation {
  std::string realm;
  std::string query;  // the service records asked for
  std::vector<FoundController> controllers;
  std::size_t used = 0;  // index into `controllers`
};
// The location of this process's Samba backend; null when it was given its
// controller (or is the simulated one).
const ControllerLocation* FoundControllers();

// Each controller's own logons as the open Samba backend reads them, from
// each controller's directory; null for the simulated controller, whose
// platform layer serves them (tasks::ListedLogons).
netapi::ControllerLogons* BackendLogons();

// The open Samba backend's listing that its controller's directory
// narrows; null for the simulated controller, whose listings are read
// whole. Under the call trace, the traced one.
netapi::AccountSearch* BackendSearch();
// Sends the narrowed listing through `trace` (made over the backend's
// own, and outliving the command).
void TraceBackendSearch(netapi::CallTrace& trace);

// Every controller of the domain, for a command that asks each of them:
// the simulated controller `dc` alone, or the realm's controllers from DNS
// (those that did not answer marked so; each probed once, within the
// connect timeout). Throws BackendError when they cannot be found.
std::vector<tasks::DomainController> EveryController(
    const GlobalOptions& options, const std::string& dc);

// "simulated", and "samba" when the build has the Samba backend.
std::vector<std::string> BuiltInBackends();

// Fills the options a Samba configuration (-s) gives when the command line
// leaves them out: domain, realm and server.
void CompleteOptions(GlobalOptions& options);

std::unique_ptr<Backend> OpenSimulatedBackend(const std::string& state_file,
                                              Access access);
std::unique_ptr<Backend> OpenSambaBackend(const GlobalOptions& options);

}  // namespace corvane::cli
