#include "python/src/session.h"

#include "netapi/simulated/demo_domain.h"

#ifdef CORVANE_WITH_SAMBA
#include "netapi/samba_loader.h"
#endif

namespace corvane::python {
namespace {
constexpr int kDebug = 10;  // logging.DEBUG
}

Session::Session(std::unique_ptr<netapi::Api> owned, netapi::Api* backend,
                 std::unique_ptr<netapi::simulated::StoredState> state,
                 SessionOptions options, netapi::AccountSearch* search)
    : state_(std::move(state)),
      owned_(std::move(owned)),
      backend_(*backend),
      trace_lines_(kDebug),
      trace_stream_(&trace_lines_),
      search_(search),
      top_(Chain(options)),
      factory_(common::Environment{*top_, events_}) {}

netapi::Api* Session::Chain(SessionOptions options) {
  netapi::Api* top = &backend_;
  if (options.hold_calls) {
    gate_ = std::make_unique<CallGate>(*top);
    top = gate_.get();
  }
  if (options.trace) {
    trace_ = std::make_unique<netapi::CallTrace>(*top, trace_stream_, search_);
    top = trace_.get();
    search_ = trace_->search();
  }
  return top;
}

Session::~Session() {
  try {
    Close();
  } catch (const std::exception& error) {
    constexpr int kError = 40;  // logging.ERROR
    LogLine(kError, std::string("corvane: ") + error.what());
  }
}

std::shared_ptr<Session> Session::Demo(SessionOptions options) {
  netapi::simulated::SimulatedNetwork network =
      netapi::simulated::NewDemoNetwork();
  // A journal is for the controller's own tests: it would grow for as long
  // as the session lives.
  network.controller->journal().set_recording(false);
  netapi::Api* backend = network.controller.get();
  return std::shared_ptr<Session>(
      new Session(std::move(network.controller), backend, nullptr, options));
}

std::shared_ptr<Session> Session::Simulated(const std::string& path,
                                            SessionOptions options) {
  std::unique_ptr<netapi::simulated::StoredState> state;
  try {
    state = std::make_unique<netapi::simulated::StoredState>(
        path, netapi::simulated::StateAccess::kMayWrite);
  } catch (const std::runtime_error& error) {
    throw BackendFailure(error.what());
  }
  netapi::Api* backend = state->network().controller.get();
  return std::shared_ptr<Session>(
      new Session(nullptr, backend, std::move(state), options));
}

#ifdef CORVANE_WITH_SAMBA
std::shared_ptr<Session> Session::Samba(const std::string& module_path,
                                        netapi::SambaConfig config,
                                        SessionOptions options) {
  std::unique_ptr<netapi::Api> api;
  netapi::AccountSearch* search = nullptr;
  try {
    const netapi::samba::SambaModule& module =
        netapi::LoadSambaModule(module_path);
    api = module.open(std::move(config));
    search = &module.search(*api);
  } catch (const std::runtime_error& error) {
    throw BackendFailure(error.what());
  }
  netapi::Api* backend = api.get();
  return std::shared_ptr<Session>(
      new Session(std::move(api), backend, nullptr, options, search));
}
#endif

void Session::Close() {
  if (closed_.exchange(true)) return;
  if (!state_) return;
  // The controller lives on with the session's objects; the lock goes,
  // saved or not.
  try {
    state_->SaveIfChanged();
  } catch (const std::runtime_error& error) {
    state_->Unlock();
    throw BackendFailure(error.what());
  }
  state_->Unlock();
}

Session::Use::Use(Session& session) : session_(session) {
  if (session_.closed_) throw ConnectionClosed("the connection is closed");
  if (session_.in_use_.exchange(true)) {
    throw ConnectionBusy(
        "the connection is in use by another thread: give each thread a "
        "connection of its own");
  }
}

Session::Use::~Use() { session_.in_use_ = false; }

}  // namespace corvane::python
