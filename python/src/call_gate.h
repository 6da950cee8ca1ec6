// A decorator the Python face can put over a backend for tests: it holds
// controller calls at a gate, to see what other threads do meanwhile.
#pragma once

#include <condition_variable>
#include <mutex>

#include "netapi/forwarding_api.h"

namespace corvane::python {

// Holds the listing and look-up calls while closed; for tests only.
class CallGate final : public netapi::ForwardingApi {
 public:
  using ForwardingApi::ForwardingApi;

  void Close() {
    const std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
  }
  void Open() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      open_ = true;
    }
    changed_.notify_all();
  }
  int waiting() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return waiting_;
  }

  netapi::NET_API_STATUS NetUserEnum(netapi::LPCWSTR server,
                                     netapi::DWORD level, netapi::DWORD filter,
                                     netapi::LPBYTE* buf, netapi::DWORD pref,
                                     netapi::LPDWORD read,
                                     netapi::LPDWORD total,
                                     netapi::LPDWORD resume) override {
    Pass();
    return backend().NetUserEnum(server, level, filter, buf, pref, read, total,
                                 resume);
  }
  netapi::NET_API_STATUS NetUserGetInfo(netapi::LPCWSTR server,
                                        netapi::LPCWSTR user,
                                        netapi::DWORD level,
                                        netapi::LPBYTE* buf) override {
    Pass();
    return backend().NetUserGetInfo(server, user, level, buf);
  }

 private:
  void Pass() {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiting_;
    changed_.wait(lock, [this] { return open_; });
    --waiting_;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = true;
  int waiting_ = 0;
};

}  // namespace corvane::python
