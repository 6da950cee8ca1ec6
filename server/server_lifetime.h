// When the server process ends: once no client holds any of its objects.
// Every live COM object (and every LockServer) counts as one reference on
// the server process. When the count falls to zero the server lingers
// briefly, revokes its class objects, serves the calls already on their
// way, and exits only if the count is still zero; a client that arrived
// meanwhile keeps it running with its classes registered again. (Some COM
// runtimes, Wine's among them, do not suspend class objects when the count
// reaches zero, so the server cannot rely on that.)
#pragma once

#include <chrono>

#include "server/class_registrations.h"

namespace corvane::server {

class ServerLifetime {
 public:
  struct Timing {
    // How long a server that was started waits for its first object.
    std::chrono::milliseconds first_client{10000};
    // How long it stays after the last object is released.
    std::chrono::milliseconds linger{1000};
    // How long it serves calls in flight after revoking its classes.
    std::chrono::milliseconds drain{300};
  };

  explicit ServerLifetime(Timing timing);

  void AddReference();
  void ReleaseReference();
  // A client asked for an object: even when none was created (the
  // platform check failed), the server no longer waits for a first one.
  void NoteRequest();

  // The apartment's message loop: returns when the server may exit, with
  // its class objects revoked.
  void Run(ClassRegistrations& classes);

 private:
  using Clock = std::chrono::steady_clock;

  // Dispatches queued messages; false when WM_QUIT was among them.
  bool PumpMessages();
  // Waits for a message or until `deadline`; false on WM_QUIT.
  bool ServeUntil(Clock::time_point deadline);

  Timing timing_;
  unsigned long references_ = 0;
  bool served_ = false;
  Clock::time_point idle_since_;
};

}  // namespace corvane::server
