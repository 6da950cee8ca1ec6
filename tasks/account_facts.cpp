#include "tasks/account_facts.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "automation/text.h"
#include "common/name_listing.h"
#include "common/result_text.h"
#include "common/string_buffers.h"
#include "netapi/api_buffer.h"
#include "netapi/sid_text.h"

namespace corvane::tasks {
namespace {

using netapi::BYTE;
using netapi::DWORD;
using netapi::NERR_Success;

// Room for any account or domain name in one look-up.
constexpr DWORD kNameRoom = 257;

std::string ErrorText(std::u16string_view action,
                      netapi::NET_API_STATUS status) {
  return automation::ToUtf8(common::FailedCall(action, status));
}

Time At(std::int64_t seconds) { return Time(std::chrono::seconds(seconds)); }

// The domain's maximum password age in seconds.
Read<DWORD> MaxPasswordAge(netapi::Api& api, const std::u16string& dc) {
  netapi::ApiBuffer buffer(api);
  const netapi::NET_API_STATUS status = netapi::KeepIfSucceeded(
      buffer, api.NetUserModalsGet(dc.c_str(), 0, buffer.put()));
  if (status != NERR_Success) {
    return {{}, ErrorText(u"Unable to read the password policy", status)};
  }
  return {buffer.As<netapi::USER_MODALS_INFO_0>()->usrmod0_max_passwd_age, {}};
}

// The name of the account with `sid`: one look-up, with room for any
// name; empty when the SID maps to no name.
Read<std::u16string> NameOfSid(netapi::Api& api, const std::u16string& dc,
                               std::vector<BYTE> sid) {
  std::u16string name(kNameRoom, u'\0');
  std::u16string domain(kNameRoom, u'\0');
  DWORD name_size = kNameRoom;
  DWORD domain_size = kNameRoom;
  netapi::SID_NAME_USE use{};
  if (api.LookupAccountSid(dc.c_str(), sid.data(), name.data(), &name_size,
                           domain.data(), &domain_size, &use)) {
    name.resize(name_size);
    return {std::move(name), {}};
  }
  const DWORD error = api.LastError();
  if (error == netapi::ERROR_NONE_MAPPED) return {std::u16string(), {}};
  return {{}, ErrorText(u"Unable to find the primary group", error)};
}

// The primary group's name, from the user's SID and the group's relative
// id; empty when the user has no SID.
Read<std::u16string> PrimaryGroupName(netapi::Api& api,
                                      const std::u16string& dc,
                                      const std::vector<BYTE>& user_sid,
                                      DWORD rid) {
  if (user_sid.size() <= netapi::SidLength(0)) return {std::u16string(), {}};
  return NameOfSid(api, dc, netapi::SiblingSid(user_sid, rid));
}

// The account's record, the one read of it: level 4 carries every fact.
Read<AccountFacts> ReadRecord(netapi::Api& api, const std::u16string& dc,
                              const std::u16string& user) {
  // The same words as NTUser's selection, which reads the same record.
  if (common::ContainsNul(user)) {
    return {{}, automation::ToUtf8(common::kTextContainsNul)};
  }
  netapi::ApiBuffer buffer(api);
  const netapi::NET_API_STATUS status = netapi::KeepIfSucceeded(
      buffer, api.NetUserGetInfo(dc.c_str(), user.c_str(), 4, buffer.put()));
  if (status != NERR_Success) {
    return {{}, ErrorText(u"Unable to retrieve user information", status)};
  }
  const auto& info = *buffer.As<netapi::USER_INFO_4>();
  AccountFacts facts;
  facts.name = common::ReadString(info.usri4_name);
  facts.full_name = common::ReadString(info.usri4_full_name);
  facts.comment = common::ReadString(info.usri4_comment);
  facts.home_dir = common::ReadString(info.usri4_home_dir);
  facts.script_path = common::ReadString(info.usri4_script_path);
  facts.privilege = info.usri4_priv;
  facts.flags = info.usri4_flags;
  facts.disabled = (info.usri4_flags & netapi::UF_ACCOUNTDISABLE) != 0;
  facts.locked_out = (info.usri4_flags & netapi::UF_LOCKOUT) != 0;
  const auto now = static_cast<std::int64_t>(std::time(nullptr));
  if (info.usri4_last_logon != 0) facts.last_logon = At(info.usri4_last_logon);
  // A password never set (or to be set at the next logon) has no age worth
  // showing: it reaches back to 1970.
  if (info.usri4_password_age < now) {
    facts.password_last_set = At(now - info.usri4_password_age);
  }
  facts.must_change_password = info.usri4_password_expired != 0;
  if (facts.must_change_password) facts.password_expires = At(now);
  // Both the platform's "forever" and an unset expiry (0) mean never.
  if (info.usri4_acct_expires != netapi::TIMEQ_FOREVER &&
      info.usri4_acct_expires != 0) {
    facts.account_expires = At(info.usri4_acct_expires);
  }
  facts.bad_password_count = info.usri4_bad_pw_count;
  facts.primary_group_id = info.usri4_primary_group_id;
  if (const auto* sid = static_cast<const BYTE*>(info.usri4_user_sid)) {
    const std::span<const BYTE> bytes(sid, netapi::SidLength(sid[1]));
    if (netapi::IsSid(bytes)) facts.sid.assign(bytes.begin(), bytes.end());
  }
  return {std::move(facts), {}};
}

Read<std::vector<std::u16string>> ListedGroups(netapi::Api& api,
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

}  // namespace

Read<AccountFacts> ReadAccountFacts(netapi::Api& api, const std::u16string& dc,
                                    const std::u16string& user) {
  Read<AccountFacts> read = ReadRecord(api, dc, user);
  if (!read.value) return read;
  AccountFacts& facts = *read.value;
  if (!facts.must_change_password &&
      (facts.flags & netapi::UF_DONT_EXPIRE_PASSWD) == 0 &&
      facts.password_last_set) {
    const Read<DWORD> max_age = MaxPasswordAge(api, dc);
    if (!max_age.value) return {{}, max_age.error};
    if (*max_age.value != 0 && *max_age.value != netapi::TIMEQ_FOREVER) {
      facts.password_expires =
          *facts.password_last_set + std::chrono::seconds(*max_age.value);
    }
  }
  Read<std::u16string> primary =
      PrimaryGroupName(api, dc, facts.sid, facts.primary_group_id);
  if (!primary.value) return {{}, primary.error};
  facts.primary_group = std::move(*primary.value);
  return read;
}

Read<PasswordPolicyFacts> ReadPasswordPolicy(netapi::Api& api,
                                             const std::u16string& dc) {
  netapi::ApiBuffer buffer(api);
  const netapi::NET_API_STATUS status = netapi::KeepIfSucceeded(
      buffer, api.NetUserModalsGet(dc.c_str(), 0, buffer.put()));
  if (status != NERR_Success) {
    return {{}, ErrorText(u"Unable to read the password policy", status)};
  }
  const auto& info = *buffer.As<netapi::USER_MODALS_INFO_0>();
  const auto age = [](DWORD seconds) -> std::optional<std::chrono::seconds> {
    if (seconds == 0 || seconds == netapi::TIMEQ_FOREVER) return std::nullopt;
    return std::chrono::seconds(seconds);
  };
  return {PasswordPolicyFacts{info.usrmod0_min_passwd_len,
                              info.usrmod0_password_hist_len,
                              age(info.usrmod0_max_passwd_age),
                              age(info.usrmod0_min_passwd_age)},
          {}};
}

Read<AccountFacts> ReadAccountRecord(netapi::Api& api, const std::u16string& dc,
                                     const std::u16string& user) {
  return ReadRecord(api, dc, user);
}

Read<std::vector<BYTE>> ReadUserSid(netapi::Api& api, const std::u16string& dc,
                                    const std::u16string& user) {
  Read<AccountFacts> read = ReadRecord(api, dc, user);
  if (!read.value) return {{}, read.error};
  return {std::move(read.value->sid), {}};
}

Read<UserGroups> ReadUserGroups(netapi::Api& api, const std::u16string& dc,
                                const std::u16string& user) {
  const Read<AccountFacts> account = ReadRecord(api, dc, user);
  if (!account.value) return {{}, account.error};
  Read<std::vector<std::u16string>> listed = ListedGroups(api, dc, user);
  if (!listed.value) return {{}, listed.error};
  Read<std::u16string> primary = PrimaryGroupName(
      api, dc, account.value->sid, account.value->primary_group_id);
  if (!primary.value) return {{}, primary.error};
  UserGroups groups{std::move(*listed.value), std::move(*primary.value)};
  std::vector<std::u16string>& names = groups.names;
  if (!groups.primary.empty() &&
      std::find(names.begin(), names.end(), groups.primary) == names.end()) {
    names.insert(names.begin(), groups.primary);
  }
  return {std::move(groups), {}};
}

}  // namespace corvane::tasks
