// Decorators the Python face puts over a backend: one notes whether
// anything may have changed (so that a simulated state is saved only
// then), one lets a test hold controller calls at a gate to see what other
// threads do meanwhile.
#pragma once

#include <condition_variable>
#include <mutex>

#include "netapi/forwarding_api.h"

namespace corvane::python {

class ChangeWatch final : public netapi::ForwardingApi {
 public:
  using ForwardingApi::ForwardingApi;
  bool changed() const { return changed_; }

  netapi::NET_API_STATUS NetGroupAdd(netapi::LPCWSTR server,
                                     netapi::DWORD level, netapi::LPBYTE buf,
                                     netapi::LPDWORD parm_err) override {
    return Noted(backend().NetGroupAdd(server, level, buf, parm_err));
  }
  netapi::NET_API_STATUS NetGroupDel(netapi::LPCWSTR server,
                                     netapi::LPCWSTR group) override {
    return Noted(backend().NetGroupDel(server, group));
  }
  netapi::NET_API_STATUS NetGroupSetInfo(netapi::LPCWSTR server,
                                         netapi::LPCWSTR group,
                                         netapi::DWORD level,
                                         netapi::LPBYTE buf,
                                         netapi::LPDWORD parm_err) override {
    return Noted(
        backend().NetGroupSetInfo(server, group, level, buf, parm_err));
  }
  netapi::NET_API_STATUS NetGroupAddUser(netapi::LPCWSTR server,
                                         netapi::LPCWSTR group,
                                         netapi::LPCWSTR user) override {
    return Noted(backend().NetGroupAddUser(server, group, user));
  }
  netapi::NET_API_STATUS NetGroupDelUser(netapi::LPCWSTR server,
                                         netapi::LPCWSTR group,
                                         netapi::LPCWSTR user) override {
    return Noted(backend().NetGroupDelUser(server, group, user));
  }
  netapi::NET_API_STATUS NetUserAdd(netapi::LPCWSTR server, netapi::DWORD level,
                                    netapi::LPBYTE buf,
                                    netapi::LPDWORD parm_err) override {
    return Noted(backend().NetUserAdd(server, level, buf, parm_err));
  }
  netapi::NET_API_STATUS NetUserDel(netapi::LPCWSTR server,
                                    netapi::LPCWSTR user) override {
    return Noted(backend().NetUserDel(server, user));
  }
  netapi::NET_API_STATUS NetUserSetInfo(netapi::LPCWSTR server,
                                        netapi::LPCWSTR user,
                                        netapi::DWORD level, netapi::LPBYTE buf,
                                        netapi::LPDWORD parm_err) override {
    return Noted(backend().NetUserSetInfo(server, user, level, buf, parm_err));
  }

 private:
  // Any attempt counts: a failed call may still have changed something.
  netapi::NET_API_STATUS Noted(netapi::NET_API_STATUS status) {
    changed_ = true;
    return status;
  }
  bool changed_ = false;
};

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
