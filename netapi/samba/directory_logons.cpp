#include "netapi/samba/directory_logons.h"

#include <vector>

#include "netapi/samba/account_flags.h"
#include "netapi/samba/statuses.h"
#include "netapi/samba/text.h"
#include "netapi/samba/user_records.h"

namespace corvane::netapi::samba {
namespace {

// As many accounts a page as the directory gives at most.
constexpr DWORD kLogonPage = 1000;

// The platform's text of each account; false for a name it cannot hold.
bool Converted(DirectoryUsers users, std::vector<ControllerLogon>& logons) {
  logons.clear();
  for (const corvane_rpc_user& user : users) {
    std::optional<std::u16string> name = ToUtf16(user.account_name);
    if (!name) return false;
    logons.push_back({std::move(*name),
                      static_cast<std::int64_t>(UnixTime(user.last_logon)),
                      user.bad_password_count,
                      (FromAccountControl(user.acct_flags) & UF_LOCKOUT) != 0});
  }
  return true;
}

}  // namespace

LdapChannel& DirectoryLogons::ChannelTo(const std::string& host) {
  std::unique_ptr<LdapChannel>& channel = channels_[host];
  if (!channel) {
    channel = std::make_unique<LdapChannel>(host, conf_, credentials_);
  }
  return *channel;
}

NET_API_STATUS DirectoryLogons::ListLogons(
    const std::string& host,
    const std::function<bool(std::span<const ControllerLogon>)>& batch) {
  if (host.empty()) return ERROR_BAD_NETPATH;
  LdapChannel& channel = ChannelTo(host);
  corvane_ldap_cursor cursor{};
  std::vector<ControllerLogon> logons;
  bool wanted = true, readable = true;
  while (wanted && readable && !cursor.complete) {
    const NET_API_STATUS status =
        channel.NextLogons(cursor, kLogonPage, [&](DirectoryUsers users) {
          readable = Converted(users, logons);
          if (readable) wanted = batch(logons);
        });
    if (status != NERR_Success) {
      return ToPlatformStatus(status, Subject::kUser);
    }
  }
  return readable ? NERR_Success : ERROR_NO_UNICODE_TRANSLATION;
}

NET_API_STATUS DirectoryLogons::ReadLogon(const std::string& host,
                                          std::u16string_view name,
                                          ControllerLogon& logon) {
  if (host.empty()) return ERROR_BAD_NETPATH;
  const std::optional<std::string> utf8 = ToUtf8(name);
  if (!utf8) return ERROR_NO_UNICODE_TRANSLATION;
  std::vector<ControllerLogon> found;
  bool readable = true;
  const NET_API_STATUS status = ChannelTo(host).FindLogon(
      *utf8, [&](DirectoryUsers users) { readable = Converted(users, found); });
  if (status != NERR_Success) return ToPlatformStatus(status, Subject::kUser);
  if (!readable) return ERROR_NO_UNICODE_TRANSLATION;
  if (found.empty()) return NERR_UserNotFound;
  logon = std::move(found.front());
  return NERR_Success;
}

}  // namespace corvane::netapi::samba
