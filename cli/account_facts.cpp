#include "cli/account_facts.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "automation/text.h"
#include "common/name_listing.h"
#include "common/result_text.h"
#include "netapi/api_buffer.h"
#include "netapi/sid_text.h"

namespace corvane::cli {
namespace {

using netapi::BYTE;
using netapi::DWORD;
using netapi::NERR_Success;

// The largest SID: revision, count, authority and 15 sub-authorities.
constexpr DWORD kLargestSid = 8 + 4 * 15;
// Bytes asked per batch when the domain's groups are walked.
constexpr DWORD kGroupBatchBytes = 16 * 1024;

std::string ErrorText(std::u16string_view action,
                      netapi::NET_API_STATUS status) {
  return automation::ToUtf8(common::FailedCall(action, status));
}

// The SID `name` has, or empty when the lookup fails.
std::vector<BYTE> LookUpSid(netapi::Api& api, const std::u16string& dc,
                            const std::u16string& name) {
  std::vector<BYTE> sid(kLargestSid);
  DWORD sid_size = kLargestSid;
  std::u16string domain(256, u'\0');
  DWORD domain_size = static_cast<DWORD>(domain.size());
  netapi::SID_NAME_USE use{};
  if (!api.LookupAccountName(dc.c_str(), name.c_str(), sid.data(), &sid_size,
                             domain.data(), &domain_size, &use)) {
    return {};
  }
  // The size a success leaves is not to be relied on; the SID's own count
  // of sub-authorities gives its length.
  sid.resize(std::min<std::size_t>(8u + 4u * sid[1], kLargestSid));
  if (!netapi::IsSid(sid)) return {};
  return sid;
}

std::string FormatTime(std::int64_t seconds, bool utc, const char* format) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if ((utc ? ::gmtime_r(&time, &parts) : ::localtime_r(&time, &parts)) ==
      nullptr) {
    return std::to_string(seconds);
  }
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &parts));
}

// The domain's maximum password age in seconds.
Read<DWORD> MaxPasswordAge(netapi::Api& api, const std::u16string& dc) {
  netapi::ApiBuffer buffer(api);
  const netapi::NET_API_STATUS status = netapi::KeepIfSucceeded(
      buffer, api.NetUserModalsGet(dc.c_str(), 0, buffer.put()));
  if (status != NERR_Success) {
    return {{}, ErrorText(u"Unable to read the password policy", status)};
  }
  return {reinterpret_cast<const netapi::USER_MODALS_INFO_0*>(buffer.get())
              ->usrmod0_max_passwd_age,
          {}};
}

}  // namespace

Read<AccountFacts> ReadAccountFacts(netapi::Api& api, const std::u16string& dc,
                                    const std::u16string& user) {
  netapi::ApiBuffer buffer(api);
  const netapi::NET_API_STATUS status = netapi::KeepIfSucceeded(
      buffer, api.NetUserGetInfo(dc.c_str(), user.c_str(), 4, buffer.put()));
  if (status != NERR_Success) {
    return {{}, ErrorText(u"Unable to read the account of " + user, status)};
  }
  const auto& info =
      *reinterpret_cast<const netapi::USER_INFO_4*>(buffer.get());
  const auto now = static_cast<std::int64_t>(std::time(nullptr));
  AccountFacts facts;
  if (info.usri4_last_logon != 0) facts.last_logon = info.usri4_last_logon;
  // A password never set (or to be set at the next logon) has no age worth
  // showing: it reaches back to 1970.
  if (info.usri4_password_age < now) {
    facts.password_last_set = now - info.usri4_password_age;
  }
  facts.must_change_password = info.usri4_password_expired != 0;
  if (facts.must_change_password) {
    facts.password_expires = now;
  } else if ((info.usri4_flags & netapi::UF_DONT_EXPIRE_PASSWD) == 0 &&
             facts.password_last_set) {
    const Read<DWORD> max_age = MaxPasswordAge(api, dc);
    if (!max_age.value) return {{}, max_age.error};
    if (*max_age.value != 0 && *max_age.value != netapi::TIMEQ_FOREVER) {
      facts.password_expires = *facts.password_last_set + *max_age.value;
    }
  }
  // Both the platform's "forever" and an unset expiry (0) mean never.
  if (info.usri4_acct_expires != netapi::TIMEQ_FOREVER &&
      info.usri4_acct_expires != 0) {
    facts.account_expires = info.usri4_acct_expires;
  }
  facts.bad_password_count = info.usri4_bad_pw_count;
  facts.primary_group_id = info.usri4_primary_group_id;
  const auto* sid = static_cast<const BYTE*>(info.usri4_user_sid);
  if (sid != nullptr) {
    const std::span<const BYTE> bytes(sid, 8u + 4u * sid[1]);
    if (netapi::IsSid(bytes)) facts.sid.assign(bytes.begin(), bytes.end());
  }
  return {std::move(facts), {}};
}

Read<std::vector<std::u16string>> ReadUserGroups(netapi::Api& api,
                                                 const std::u16string& dc,
                                                 const std::u16string& user) {
  std::vector<std::u16string> groups;
  bool asked = false;
  const auto failure = common::ListNames(
      api,
      [&](netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        // The call has no resume handle: an answer cut short cannot be
        // continued, so a second batch ends the walk as a failure.
        if (std::exchange(asked, true)) {
          *read = 0;
          return netapi::ERROR_MORE_DATA;
        }
        return api.NetUserGetGroups(dc.c_str(), user.c_str(), 0, batch,
                                    netapi::MAX_PREFERRED_LENGTH, read, total);
      },
      [&](std::u16string name) { groups.push_back(std::move(name)); });
  if (failure) {
    return {
        {},
        ErrorText(u"Unable to list the groups of " + user, failure->status)};
  }
  return {std::move(groups), {}};
}

Read<std::u16string> PrimaryGroupName(
    netapi::Api& api, const std::u16string& dc,
    const std::vector<BYTE>& user_sid, DWORD rid,
    const std::vector<std::u16string>& known) {
  if (user_sid.size() < 12) return {std::u16string(), {}};
  // The group's SID: the user's domain followed by `rid`.
  std::vector<BYTE> wanted = user_sid;
  for (std::size_t byte = 0; byte < 4; ++byte) {
    wanted[wanted.size() - 4 + byte] = static_cast<BYTE>(rid >> (8 * byte));
  }
  std::optional<std::u16string> found;
  const auto matches = [&](const std::u16string& name) {
    if (!found && LookUpSid(api, dc, name) == wanted) found = name;
    return found.has_value();
  };
  if (std::any_of(known.begin(), known.end(), matches)) return {*found, {}};

  netapi::DWORD_PTR resume_handle = 0;
  const auto failure = common::ListNames(
      api,
      [&](netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        return api.NetGroupEnum(dc.c_str(), 0, batch, kGroupBatchBytes, read,
                                total, &resume_handle);
      },
      [&](std::u16string name) {
        if (std::find(known.begin(), known.end(), name) == known.end()) {
          matches(name);
        }
      });
  if (failure && !found) {
    return {{},
            ErrorText(u"Unable to find the primary group", failure->status)};
  }
  return {found.value_or(u""), {}};
}

std::string IsoTime(std::int64_t seconds) {
  return FormatTime(seconds, true, "%Y-%m-%dT%H:%M:%SZ");
}

std::string LocalTime(std::int64_t seconds) {
  return FormatTime(seconds, false, "%Y-%m-%d %H:%M:%S %Z");
}

}  // namespace corvane::cli
