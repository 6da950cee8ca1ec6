// What an administrator asks about an account beyond its attributes: logon
// and password times, expiry, the bad password count, the primary group,
// the SID and the groups it belongs to. Read from the platform layer
// directly, since the NTUser contract has no member for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "netapi/api.h"

namespace corvane::cli {

// Times are seconds since 1970 (UTC); none stands for "never".
struct AccountFacts {
  std::optional<std::int64_t> last_logon;
  std::optional<std::int64_t> password_last_set;
  // From the domain's maximum password age; none when it never expires.
  std::optional<std::int64_t> password_expires;
  std::optional<std::int64_t> account_expires;
  bool must_change_password = false;
  netapi::DWORD bad_password_count = 0;
  netapi::DWORD primary_group_id = 0;
  std::vector<netapi::BYTE> sid;
};

// The result of a platform read: the facts, or the component-style error
// text for the failed call.
template <typename Value>
struct Read {
  std::optional<Value> value;
  std::string error;
};

// One information call (level 4), and the domain's password policy when
// the expiry depends on it.
Read<AccountFacts> ReadAccountFacts(netapi::Api& api, const std::u16string& dc,
                                    const std::u16string& user);

// The global groups the user belongs to, as the platform lists them.
Read<std::vector<std::u16string>> ReadUserGroups(netapi::Api& api,
                                                 const std::u16string& dc,
                                                 const std::u16string& user);

// The name of the group with relative id `rid` in the domain of `user_sid`:
// `known` (the user's listed groups) is looked up first, then the domain's
// groups one by one. Empty when no group has it.
Read<std::u16string> PrimaryGroupName(netapi::Api& api,
                                      const std::u16string& dc,
                                      const std::vector<netapi::BYTE>& user_sid,
                                      netapi::DWORD rid,
                                      const std::vector<std::u16string>& known);

// "2026-12-07T20:24:00Z".
std::string IsoTime(std::int64_t seconds);
// The local time, "2026-12-07 21:24:00 CET".
std::string LocalTime(std::int64_t seconds);

}  // namespace corvane::cli
