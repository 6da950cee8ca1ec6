#include "tasks/account_changes.h"

#include <ctime>

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

// The time as the events give it, in UTC.
std::u16string EventTime(Time time) {
  const std::time_t seconds = time.time_since_epoch().count();
  std::tm parts{};
  char text[32] = "";
  if (::gmtime_r(&seconds, &parts) != nullptr) {
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
  }
  return automation::Widen(text);
}

}  // namespace

void ChangeEvents::Tell(const std::u16string& text) const {
  if (sink != nullptr &&
      common::GatePasses(common::EventGate::kFull, logging)) {
    sink->WriteInformation(text);
  }
}

std::string RenameUser(netapi::Api& api, const std::u16string& dc,
                       const std::u16string& user,
                       const std::u16string& new_name,
                       const ChangeEvents& events) {
  if (HoldsNul(user) || HoldsNul(new_name)) return RefusedNul();
  std::u16string name = new_name;
  netapi::USER_INFO_0 record{name.data()};
  DWORD parm_err = 0;
  const std::string result = Result(
      u"Unable to rename user",
      api.NetUserSetInfo(dc.c_str(), user.c_str(), 0,
                         reinterpret_cast<netapi::LPBYTE>(&record), &parm_err));
  if (result == "SUCCESS") {
    events.Tell(u"Renamed user " + user + u" to " + new_name);
  }
  return result;
}

std::string RenameGroup(netapi::Api& api, const std::u16string& dc,
                        const std::u16string& group,
                        const std::u16string& new_name,
                        const ChangeEvents& events) {
  if (HoldsNul(group) || HoldsNul(new_name)) return RefusedNul();
  std::u16string name = new_name;
  netapi::GROUP_INFO_0 record{name.data()};
  DWORD parm_err = 0;
  const std::string result =
      Result(u"Unable to rename group",
             api.NetGroupSetInfo(dc.c_str(), group.c_str(), 0,
                                 reinterpret_cast<netapi::LPBYTE>(&record),
                                 &parm_err));
  if (result == "SUCCESS") {
    events.Tell(u"Renamed group " + group + u" to " + new_name);
  }
  return result;
}

std::string SetAccountExpiry(netapi::Api& api, const std::u16string& dc,
                             const std::u16string& user,
                             std::optional<Time> expires,
                             const ChangeEvents& events) {
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
  const std::string result = Result(
      u"Unable to set account expiry",
      api.NetUserSetInfo(dc.c_str(), user.c_str(), 1017,
                         reinterpret_cast<netapi::LPBYTE>(&record), &parm_err));
  if (result == "SUCCESS") {
    events.Tell(u"Changed account expiry for user " + user + u" to " +
                (expires ? EventTime(*expires) : u"never"));
  }
  return result;
}

std::string SetMustChangePassword(netapi::Api& api, const std::u16string& dc,
                                  const std::u16string& user, bool must_change,
                                  const ChangeEvents& events) {
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
  if (status == NERR_Success) {
    events.Tell(u"Changed must change password for user " + user + u" to " +
                (must_change ? u"True" : u"False"));
  }
  return Result(u"Unable to set must change password", status);
}

Read<AccountFacts> ReadLifecycle(netapi::Api& api, const std::u16string& dc,
                                 const std::u16string& user) {
  return ReadAccountRecord(api, dc, user);
}

}  // namespace corvane::tasks
