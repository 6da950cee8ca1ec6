#include "tasks/account_changes.h"

#include "automation/text.h"
#include "common/result_text.h"
#include "netapi/api_buffer.h"

namespace corvane::tasks {
namespace {

using netapi::DWORD;
using netapi::NERR_Success;

std::string Result(std::u16string_view action, netapi::NET_API_STATUS status) {
  if (status == NERR_Success) return "SUCCESS";
  return automation::ToUtf8(common::FailedCall(action, status));
}

// A name holding NUL would reach the platform cut short.
bool HoldsNul(const std::u16string& text) {
  return text.find(u'\0') != std::u16string::npos;
}

std::string RefusedNul() {
  return automation::ToUtf8(common::kTextContainsNul);
}

}  // namespace

std::string RenameUser(netapi::Api& api, const std::u16string& dc,
                       const std::u16string& user,
                       const std::u16string& new_name) {
  if (HoldsNul(user) || HoldsNul(new_name)) return RefusedNul();
  std::u16string name = new_name;
  netapi::USER_INFO_0 record{name.data()};
  DWORD parm_err = 0;
  return Result(
      u"Unable to rename user",
      api.NetUserSetInfo(dc.c_str(), user.c_str(), 0,
                         reinterpret_cast<netapi::LPBYTE>(&record), &parm_err));
}

std::string RenameGroup(netapi::Api& api, const std::u16string& dc,
                        const std::u16string& group,
                        const std::u16string& new_name) {
  if (HoldsNul(group) || HoldsNul(new_name)) return RefusedNul();
  std::u16string name = new_name;
  netapi::GROUP_INFO_0 record{name.data()};
  DWORD parm_err = 0;
  return Result(u"Unable to rename group",
                api.NetGroupSetInfo(dc.c_str(), group.c_str(), 0,
                                    reinterpret_cast<netapi::LPBYTE>(&record),
                                    &parm_err));
}

std::string SetAccountExpiry(netapi::Api& api, const std::u16string& dc,
                             const std::u16string& user,
                             std::optional<Time> expires) {
  if (HoldsNul(user)) return RefusedNul();
  netapi::USER_INFO_1017 record{netapi::TIMEQ_FOREVER};
  if (expires) {
    const auto seconds = expires->time_since_epoch().count();
    // 0 reads as "never" too, and TIMEQ_FOREVER is never.
    if (seconds <= 0 || seconds >= netapi::TIMEQ_FOREVER) {
      return "the expiry must fall after 1970 and before 2106";
    }
    record.usri1017_acct_expires = static_cast<DWORD>(seconds);
  }
  DWORD parm_err = 0;
  return Result(
      u"Unable to set account expiry",
      api.NetUserSetInfo(dc.c_str(), user.c_str(), 1017,
                         reinterpret_cast<netapi::LPBYTE>(&record), &parm_err));
}

std::string SetMustChangePassword(netapi::Api& api, const std::u16string& dc,
                                  const std::u16string& user,
                                  bool must_change) {
  if (HoldsNul(user)) return RefusedNul();
  netapi::ApiBuffer buffer(api);
  netapi::NET_API_STATUS status = netapi::KeepIfSucceeded(
      buffer, api.NetUserGetInfo(dc.c_str(), user.c_str(), 4, buffer.put()));
  if (status != NERR_Success) {
    return Result(u"Unable to retrieve user information", status);
  }
  netapi::USER_INFO_4 record = *buffer.As<netapi::USER_INFO_4>();
  if ((record.usri4_password_expired != 0) == must_change) return "SUCCESS";
  record.usri4_password = nullptr;  // the password stays
  record.usri4_password_expired = must_change ? 1 : 0;
  // The flags read back carry the same fact; they must not say otherwise.
  record.usri4_flags = must_change
                           ? record.usri4_flags | netapi::UF_PASSWORD_EXPIRED
                           : record.usri4_flags & ~netapi::UF_PASSWORD_EXPIRED;
  DWORD parm_err = 0;
  status =
      api.NetUserSetInfo(dc.c_str(), user.c_str(), 4,
                         reinterpret_cast<netapi::LPBYTE>(&record), &parm_err);
  return Result(u"Unable to set must change password", status);
}

Read<AccountFacts> ReadLifecycle(netapi::Api& api, const std::u16string& dc,
                                 const std::u16string& user) {
  return ReadAccountRecord(api, dc, user);
}

}  // namespace corvane::tasks
