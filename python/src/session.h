// One connection of the Python face: a backend (the simulated controller,
// in memory or kept in a state file, or the Samba backend module), the
// decorators over it, and the class factory that makes domains on it.
// A session serves one call at a time: a second thread that tries to use
// it meanwhile is refused (ConnectionBusy) rather than let in.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

#include "domain/class_factory.h"
#include "netapi/call_trace.h"
#include "netapi/simulated/state_store.h"
#include "python/src/call_gate.h"
#include "python/src/python_logger.h"

#ifdef CORVANE_WITH_SAMBA
#include "netapi/samba/samba_config.h"
#endif

namespace corvane::python {

class ConnectionBusy : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
class ConnectionClosed : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
// The backend cannot be set up.
class BackendFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SessionOptions {
  bool trace = false;       // the call trace to logger "corvane"
  bool hold_calls = false;  // the test gate (CallGate)
};

class Session {
 public:
  // The demo domain in memory, nothing kept.
  static std::shared_ptr<Session> Demo(SessionOptions options);
  // The state kept in `path`, locked until Close().
  static std::shared_ptr<Session> Simulated(const std::string& path,
                                            SessionOptions options);
#ifdef CORVANE_WITH_SAMBA
  static std::shared_ptr<Session> Samba(const std::string& module_path,
                                        netapi::SambaConfig config,
                                        SessionOptions options);
#endif
  ~Session();

  const ClassFactory& factory() const { return factory_; }
  netapi::Api& api() { return *top_; }
  // The backend's listing its controller narrows (traced with the rest);
  // null where it has none.
  netapi::AccountSearch* search() { return search_; }
  // Where the objects' events go (logger "corvane").
  common::EventSink& events() { return events_; }
  CallGate* gate() { return gate_.get(); }

  // Saves a simulated state the session may have changed, and gives up
  // its lock; the session then refuses every call.
  void Close();
  bool closed() const { return closed_; }

  // Held for the length of one call into the core.
  class Use {
   public:
    explicit Use(Session& session);
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

   private:
    Session& session_;
  };

 private:
  Session(std::unique_ptr<netapi::Api> owned, netapi::Api* backend,
          std::unique_ptr<netapi::simulated::StoredState> state,
          SessionOptions options, netapi::AccountSearch* search = nullptr);
  // Puts the chosen decorators over the backend; the top of the chain.
  netapi::Api* Chain(SessionOptions options);

  std::unique_ptr<netapi::simulated::StoredState> state_;
  std::unique_ptr<netapi::Api> owned_;
  netapi::Api& backend_;
  std::unique_ptr<CallGate> gate_;
  LoggerLineBuffer trace_lines_;
  std::ostream trace_stream_;
  std::unique_ptr<netapi::CallTrace> trace_;
  netapi::AccountSearch* search_;
  netapi::Api* top_;
  LoggerEventSink events_;
  ClassFactory factory_;
  std::atomic<bool> in_use_{false};
  std::atomic<bool> closed_{false};
};

}  // namespace corvane::python
