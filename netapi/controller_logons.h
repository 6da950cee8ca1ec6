// What each domain controller keeps of its own about an account: the
// logons it served and the bad passwords it saw are not replicated, so
// "when did this account last log on?" takes every controller's answer.
// A backend that can ask any controller of the domain offers this beside
// the platform layer, which talks to one.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "netapi/types.h"

namespace corvane::netapi {

struct ControllerLogon {
  std::u16string name;
  std::int64_t last_logon = 0;  // seconds since 1970; 0: never there
  DWORD bad_password_count = 0;
  bool locked_out = false;
};

class ControllerLogons {
 public:
  virtual ~ControllerLogons() = default;

  // The accounts the controller `host` served a logon for, a batch at a
  // time (the others have none to tell); `batch` returns false to stop.
  virtual NET_API_STATUS ListLogons(
      const std::string& host,
      const std::function<bool(std::span<const ControllerLogon>)>& batch) = 0;
  // One account as `host` knows it; NERR_UserNotFound when it has none.
  virtual NET_API_STATUS ReadLogon(const std::string& host,
                                   std::u16string_view name,
                                   ControllerLogon& logon) = 0;
};

}  // namespace corvane::netapi
