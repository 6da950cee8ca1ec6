// What an administrator asks about an account: its attributes, logon and
// password times, expiry, the bad password count, the primary group, the
// SID, and the groups it belongs to. Read from the platform layer directly,
// since the NTUser contract has no member for most of them, each with as
// few calls as the platform allows: the account's record once, the
// password policy once, and the primary group named by one look-up.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "netapi/api.h"

namespace corvane::tasks {

using Time = std::chrono::sys_seconds;

struct AccountFacts {
  std::u16string name;
  std::u16string full_name;
  std::u16string comment;
  std::u16string home_dir;
  std::u16string script_path;
  netapi::DWORD privilege = 0;  // USER_PRIV_GUEST, _USER or _ADMIN
  netapi::DWORD flags = 0;      // UF_*
  bool disabled = false;
  bool locked_out = false;
  // None stands for "never".
  std::optional<Time> last_logon;
  std::optional<Time> password_last_set;
  // From the domain's maximum password age.
  std::optional<Time> password_expires;
  std::optional<Time> account_expires;
  bool must_change_password = false;
  netapi::DWORD bad_password_count = 0;
  netapi::DWORD primary_group_id = 0;
  // Empty when no group has the primary group's SID.
  std::u16string primary_group;
  std::vector<netapi::BYTE> sid;
};

// The result of a platform read: the value, or the component-style error
// text of the failed call.
template <typename Value>
struct Read {
  std::optional<Value> value;
  std::string error;
};

// The account `user` on the controller `dc`.
Read<AccountFacts> ReadAccountFacts(netapi::Api& api, const std::u16string& dc,
                                    const std::u16string& user);

// The domain's password policy as the platform's account policy level
// gives it (NetUserModalsGet level 0); ages none for "never".
struct PasswordPolicyFacts {
  netapi::DWORD min_length = 0;
  netapi::DWORD history_length = 0;
  std::optional<std::chrono::seconds> max_age;
  std::optional<std::chrono::seconds> min_age;
};
Read<PasswordPolicyFacts> ReadPasswordPolicy(netapi::Api& api,
                                             const std::u16string& dc);

// The account's record alone (one read): every fact but the password's
// expiry from the policy and the primary group's name.
Read<AccountFacts> ReadAccountRecord(netapi::Api& api, const std::u16string& dc,
                                     const std::u16string& user);

// The account's SID alone (one read of its record); empty when the record
// carries none.
Read<std::vector<netapi::BYTE>> ReadUserSid(netapi::Api& api,
                                            const std::u16string& dc,
                                            const std::u16string& user);

// The global groups the user belongs to, with the primary group, which the
// platform may leave out of the list (Windows lists it, Samba does not):
// then it comes first.
struct UserGroups {
  std::vector<std::u16string> names;
  std::u16string primary;  // empty when no group has its SID
};
Read<UserGroups> ReadUserGroups(netapi::Api& api, const std::u16string& dc,
                                const std::u16string& user);

}  // namespace corvane::tasks
