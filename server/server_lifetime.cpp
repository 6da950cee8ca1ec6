#include "server/server_lifetime.h"

#include "server/windows_headers.h"

namespace corvane::server {

ServerLifetime::ServerLifetime(Timing timing)
    : timing_(timing), idle_since_(Clock::now()) {}

void ServerLifetime::AddReference() {
  references_ = CoAddRefServerProcess();
  served_ = true;
}

void ServerLifetime::ReleaseReference() {
  references_ = CoReleaseServerProcess();
  if (references_ == 0) idle_since_ = Clock::now();
}

void ServerLifetime::NoteRequest() {
  served_ = true;
  if (references_ == 0) idle_since_ = Clock::now();
}

bool ServerLifetime::PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

bool ServerLifetime::ServeUntil(Clock::time_point deadline) {
  const auto now = Clock::now();
  DWORD wait = INFINITE;
  if (deadline != Clock::time_point::max()) {
    wait =
        deadline <= now
            ? 0
            : static_cast<DWORD>(
                  std::chrono::ceil<std::chrono::milliseconds>(deadline - now)
                      .count());
  }
  MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
  return PumpMessages();
}

void ServerLifetime::Run(ClassRegistrations& classes) {
  for (;;) {
    if (references_ > 0) {
      if (!ServeUntil(Clock::time_point::max())) break;
      continue;
    }
    const auto deadline =
        idle_since_ + (served_ ? timing_.linger : timing_.first_client);
    if (Clock::now() < deadline) {
      if (!ServeUntil(deadline)) break;
      continue;
    }
    classes.Revoke();
    const auto drained = Clock::now() + timing_.drain;
    bool quit = false;
    while (!quit && Clock::now() < drained) quit = !ServeUntil(drained);
    if (quit || references_ == 0) break;
    classes.Register();
  }
  classes.Revoke();
}

}  // namespace corvane::server
