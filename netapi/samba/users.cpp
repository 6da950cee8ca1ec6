// User accounts: add, delete, read, change and enumerate.
#include <algorithm>
#include <array>
#include <ctime>
#include <mutex>
#include <vector>

#include "netapi/samba/account_flags.h"
#include "netapi/samba/libnetapi.h"
#include "netapi/samba/listing_batches.h"
#include "netapi/samba/samba_api.h"
#include "netapi/samba/samba_buffer.h"
#include "netapi/samba/statuses.h"
#include "netapi/samba/talloc_owner.h"
#include "netapi/samba/text.h"
#include "netapi/samba/user_records.h"

namespace corvane::netapi {
namespace {

using samba::Subject;
using samba::ToPlatformStatus;

// An optional text field of an input record: absent (null) stays absent.
template <typename Text>
struct TextField {
  Text text;
  bool present = false;
  const char* get() const { return present ? text.c_str() : nullptr; }
};

template <typename Text>
NET_API_STATUS Convert(LPCWSTR in, TextField<Text>& out) {
  out.present = in != nullptr;
  return samba::ToUtf8Argument(in, out.text);
}

// The set levels whose record is one text member, laid out alike in both
// shapes.
constexpr std::array kTextSetLevels{1003u, 1006u, 1007u, 1009u, 1011u};

bool IsTextSetLevel(DWORD level) {
  for (DWORD known : kTextSetLevels) {
    if (known == level) return true;
  }
  return false;
}

}  // namespace

NET_API_STATUS SambaApi::NetUserAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                                    LPDWORD parm_err) {
  if (level != 1) return ERROR_INVALID_LEVEL;
  if (buf == nullptr) return ERROR_INVALID_PARAMETER;
  const auto& in = *reinterpret_cast<const USER_INFO_1*>(buf);
  // libnetapi ignores the privilege; the platform creates only ordinary
  // users this way and names the field it refuses.
  if (in.usri1_priv != USER_PRIV_USER) {
    if (parm_err != nullptr) *parm_err = USER_PRIV_PARMNUM;
    return ERROR_INVALID_PARAMETER;
  }
  std::string host;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  TextField<std::string> name, home_dir, comment, script_path;
  TextField<automation::SecretUtf8> password;
  if (const NET_API_STATUS status = Convert(in.usri1_password, password)) {
    return status;
  }
  for (auto [text, field] : {std::pair{in.usri1_name, &name},
                             {in.usri1_home_dir, &home_dir},
                             {in.usri1_comment, &comment},
                             {in.usri1_script_path, &script_path}}) {
    if (const NET_API_STATUS status = Convert(text, *field)) return status;
  }
  if (name.text.empty()) {
    if (parm_err != nullptr) *parm_err = USER_NAME_PARMNUM;
    return ERROR_INVALID_PARAMETER;
  }
  ::USER_INFO_1 record{};
  record.usri1_name = name.get();
  record.usri1_password = password.get();
  record.usri1_priv = in.usri1_priv;
  record.usri1_home_dir = home_dir.get();
  record.usri1_comment = comment.get();
  record.usri1_flags = samba::ToAccountControl(in.usri1_flags);
  record.usri1_script_path = script_path.get();
  std::uint32_t samba_parm_err = 0;
  std::lock_guard lock(calls_);
  const NET_API_STATUS status = ToPlatformStatus(
      ::NetUserAdd(host.c_str(), 1, reinterpret_cast<std::uint8_t*>(&record),
                   &samba_parm_err),
      Subject::kUser);
  if (status == ERROR_INVALID_PARAMETER && parm_err != nullptr) {
    *parm_err = samba_parm_err;
  }
  return status;
}

NET_API_STATUS SambaApi::NetUserDel(LPCWSTR servername, LPCWSTR username) {
  std::string host, user;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(username, user)) {
    return status;
  }
  std::lock_guard lock(calls_);
  return ToPlatformStatus(::NetUserDel(host.c_str(), user.c_str()),
                          Subject::kUser);
}

NET_API_STATUS SambaApi::NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                        DWORD level, LPBYTE* bufptr) {
  if (level > 2 && level != 4) return ERROR_INVALID_LEVEL;
  if (bufptr == nullptr) return ERROR_INVALID_PARAMETER;
  std::string host, user;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(username, user)) {
    return status;
  }
  // Over the direct RPC channel, so that a command that only reads never
  // opens the SMB session; the records read as libnetapi's (user_records.h).
  const samba::TallocOwner strings = samba::NewTallocOwner();
  if (!strings) return ERROR_NOT_ENOUGH_MEMORY;
  corvane_rpc_user account{};
  std::vector<BYTE> sid;
  {
    std::lock_guard lock(calls_);
    NET_API_STATUS status = ToPlatformStatus(
        rpc_.QueryUser(user, strings.get(), account), Subject::kUser);
    if (status == NERR_Success) status = rpc_.AccountSid(account.rid, sid);
    if (status != NERR_Success) return status;
  }
  return samba::MakeUserRecord(account, sid,
                               static_cast<std::int64_t>(std::time(nullptr)),
                               level, samba::AllocateBlock, bufptr);
}

NET_API_STATUS SambaApi::NetUserGetGroups(LPCWSTR servername, LPCWSTR username,
                                          DWORD level, LPBYTE* bufptr,
                                          DWORD /*prefmaxlen*/,
                                          LPDWORD entriesread,
                                          LPDWORD totalentries) {
  if (level != 0) return ERROR_INVALID_LEVEL;
  if (bufptr == nullptr || entriesread == nullptr || totalentries == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  std::string host, user;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(username, user)) {
    return status;
  }
  // The whole list in one answer: the call has no resume handle, so a
  // shorter answer could never be continued.
  std::vector<std::u16string> groups;
  {
    std::lock_guard lock(calls_);
    const NET_API_STATUS status =
        ToPlatformStatus(rpc_.UserGroups(user, groups), Subject::kUser);
    if (status != NERR_Success) return status;
  }
  RecordBuilder<GROUP_USERS_INFO_0> builder;
  for (const std::u16string& group : groups) {
    builder.Add();
    builder.Text(&GROUP_USERS_INFO_0::grui0_name, group);
  }
  *bufptr = builder.Build(samba::AllocateBlock);
  if (*bufptr == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
  *entriesread = static_cast<DWORD>(groups.size());
  *totalentries = static_cast<DWORD>(groups.size());
  return NERR_Success;
}

NET_API_STATUS SambaApi::NetUserModalsGet(LPCWSTR servername, DWORD level,
                                          LPBYTE* bufptr) {
  if (level != 0) return ERROR_INVALID_LEVEL;
  if (bufptr == nullptr) return ERROR_INVALID_PARAMETER;
  std::string host;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  corvane_rpc_policy policy{};
  {
    std::lock_guard lock(calls_);
    const NET_API_STATUS status =
        ToPlatformStatus(rpc_.QueryPolicy(policy), Subject::kUser);
    if (status != NERR_Success) return status;
  }
  return samba::MakeModalsRecord(policy, samba::AllocateBlock, bufptr);
}

NET_API_STATUS SambaApi::FlagsForWrite(const std::string& host,
                                       const std::string& user, DWORD uf_flags,
                                       DWORD& account_control) {
  if ((uf_flags & samba::UF_ACCOUNT_TYPE_MASK) == 0) {
    samba::LibnetapiBuffer answer;
    const NET_API_STATUS status = ToPlatformStatus(
        ::NetUserGetInfo(host.c_str(), user.c_str(), 2, answer.put()),
        Subject::kUser);
    if (status != NERR_Success) return status;
    uf_flags |=
        answer.As<::USER_INFO_2>()->usri2_flags & samba::UF_ACCOUNT_TYPE_MASK;
  }
  account_control = samba::ToAccountControl(uf_flags);
  return NERR_Success;
}

NET_API_STATUS SambaApi::SetWholeRecord(const std::string& host,
                                        const std::string& user,
                                        const USER_INFO_4& in,
                                        LPDWORD parm_err) {
  // Only what differs from the account as it stands is written, as one
  // SAMR level 21 change: the record's other fields read as they are.
  std::string texts[4];
  const LPWSTR wide[4] = {in.usri4_full_name, in.usri4_comment,
                          in.usri4_home_dir, in.usri4_script_path};
  for (std::size_t i = 0; i < 4; ++i) {
    if (const NET_API_STATUS status = samba::ToUtf8Argument(wide[i], texts[i]))
      return status;
  }
  automation::SecretUtf8 password;
  if (in.usri4_password != nullptr) {
    if (const NET_API_STATUS status =
            samba::ToUtf8Argument(in.usri4_password, password)) {
      return status;
    }
  }
  const samba::TallocOwner strings = samba::NewTallocOwner();
  if (!strings) return ERROR_NOT_ENOUGH_MEMORY;
  std::lock_guard lock(calls_);
  corvane_rpc_user current{};
  NET_API_STATUS status = ToPlatformStatus(
      rpc_.QueryUser(user, strings.get(), current), Subject::kUser);
  if (status != NERR_Success) return status;
  corvane_rpc_user_change change{};
  const std::pair<const char*, std::uint32_t> fields[4] = {
      {current.full_name, CORVANE_RPC_FIELD_FULL_NAME},
      {current.description, CORVANE_RPC_FIELD_DESCRIPTION},
      {current.home_directory, CORVANE_RPC_FIELD_HOME_DIRECTORY},
      {current.logon_script, CORVANE_RPC_FIELD_LOGON_SCRIPT}};
  const char** targets[4] = {&change.full_name, &change.description,
                             &change.home_directory, &change.logon_script};
  for (std::size_t i = 0; i < 4; ++i) {
    if (wide[i] != nullptr && texts[i] != fields[i].first) {
      change.fields |= fields[i].second;
      *targets[i] = texts[i].c_str();
    }
  }
  // UF_SCRIPT and the computed UF_PASSWORD_EXPIRED are no account-control
  // bits to write.
  constexpr DWORD kNotWritten = UF_SCRIPT | UF_PASSWORD_EXPIRED;
  const DWORD current_flags = samba::FromAccountControl(current.acct_flags);
  if ((in.usri4_flags & ~kNotWritten) != (current_flags & ~kNotWritten)) {
    if ((in.usri4_flags & samba::UF_ACCOUNT_TYPE_MASK) !=
        (current_flags & samba::UF_ACCOUNT_TYPE_MASK)) {
      if (parm_err != nullptr) *parm_err = USER_FLAGS_PARMNUM;
      return ERROR_INVALID_PARAMETER;
    }
    change.fields |= CORVANE_RPC_FIELD_ACCT_FLAGS;
    change.acct_flags = samba::ToAccountControl(in.usri4_flags & ~kNotWritten);
  }
  if (in.usri4_acct_expires != samba::AcctExpires(current.acct_expiry)) {
    change.fields |= CORVANE_RPC_FIELD_ACCT_EXPIRY;
    change.acct_expiry = samba::NtExpiry(in.usri4_acct_expires);
  }
  if (in.usri4_primary_group_id != current.primary_gid) {
    change.fields |= CORVANE_RPC_FIELD_PRIMARY_GID;
    change.primary_gid = in.usri4_primary_group_id;
  }
  if ((in.usri4_password_expired != 0) != (current.password_expired != 0)) {
    change.fields |= CORVANE_RPC_FIELD_EXPIRED_FLAG;
    change.password_expired = in.usri4_password_expired != 0 ? 1 : 0;
  }
  // A password goes as libnetapi encrypts it, before the other fields:
  // setting it ends a must-change the record may ask for again.
  if (in.usri4_password != nullptr) {
    const char* record = password.c_str();
    std::uint32_t samba_parm_err = 0;
    status = ToPlatformStatus(
        ::NetUserSetInfo(host.c_str(), user.c_str(), 1003,
                         reinterpret_cast<std::uint8_t*>(&record),
                         &samba_parm_err),
        Subject::kUser);
    if (status != NERR_Success) return status;
    if (in.usri4_password_expired != 0) {
      change.fields |= CORVANE_RPC_FIELD_EXPIRED_FLAG;
      change.password_expired = 1;
    }
  }
  if (change.fields == 0) return NERR_Success;
  return ToPlatformStatus(rpc_.SetUser(user, change), Subject::kUser);
}

NET_API_STATUS SambaApi::NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                        DWORD level, LPBYTE buf,
                                        LPDWORD parm_err) {
  if (level != 0 && level != 4 && level != 1008 && level != 1017 &&
      !IsTextSetLevel(level)) {
    return ERROR_INVALID_LEVEL;
  }
  if (buf == nullptr) return ERROR_INVALID_PARAMETER;
  std::string host, user;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(username, user)) {
    return status;
  }
  // The levels libnetapi cannot write go over the direct RPC channel as
  // SAMR level 21 changes.
  if (level == 4) {
    return SetWholeRecord(host, user, *reinterpret_cast<USER_INFO_4*>(buf),
                          parm_err);
  }
  if (level == 0 || level == 1017) {
    std::string name;
    corvane_rpc_user_change change{};
    if (level == 0) {
      if (const NET_API_STATUS status = samba::ToUtf8Argument(
              reinterpret_cast<USER_INFO_0*>(buf)->usri0_name, name)) {
        return status;
      }
      if (name.empty()) {
        if (parm_err != nullptr) *parm_err = USER_NAME_PARMNUM;
        return ERROR_INVALID_PARAMETER;
      }
      change.fields = CORVANE_RPC_FIELD_ACCOUNT_NAME;
      change.account_name = name.c_str();
    } else {
      change.fields = CORVANE_RPC_FIELD_ACCT_EXPIRY;
      change.acct_expiry = samba::NtExpiry(
          reinterpret_cast<USER_INFO_1017*>(buf)->usri1017_acct_expires);
    }
    std::lock_guard lock(calls_);
    return ToPlatformStatus(rpc_.SetUser(user, change), Subject::kUser);
  }
  std::uint32_t samba_parm_err = 0;
  NET_API_STATUS status;
  if (level == 1008) {
    // libnetapi refuses 1008; level 3 carries the flags, and writes only
    // its non-zero members, so everything else is left as it is.
    const DWORD uf_flags =
        reinterpret_cast<USER_INFO_1008*>(buf)->usri1008_flags;
    std::lock_guard lock(calls_);
    ::USER_INFO_3 record{};
    status = FlagsForWrite(host, user, uf_flags, record.usri3_flags);
    if (status == NERR_Success) {
      status = ToPlatformStatus(
          ::NetUserSetInfo(host.c_str(), user.c_str(), 3,
                           reinterpret_cast<std::uint8_t*>(&record),
                           &samba_parm_err),
          Subject::kUser);
    }
  } else {
    // USER_INFO_1003/1006/1007/1009/1011: a single text member; the
    // password of 1003 stays a secret.
    std::string text;
    automation::SecretUtf8 password;
    const LPWSTR value = *reinterpret_cast<LPWSTR*>(buf);
    status = level == 1003 ? samba::ToUtf8Argument(value, password)
                           : samba::ToUtf8Argument(value, text);
    if (status != NERR_Success) return status;
    const char* record = level == 1003 ? password.c_str() : text.c_str();
    std::lock_guard lock(calls_);
    status = ToPlatformStatus(
        ::NetUserSetInfo(host.c_str(), user.c_str(), level,
                         reinterpret_cast<std::uint8_t*>(&record),
                         &samba_parm_err),
        Subject::kUser);
  }
  if (status == ERROR_INVALID_PARAMETER && parm_err != nullptr) {
    *parm_err = samba_parm_err;
  }
  return status;
}

NET_API_STATUS SambaApi::FetchUsers(DWORD filter, DWORD prefmaxlen,
                                    samba::PendingListing& listing) {
  return rpc_.ListUsers(filter, prefmaxlen, listing);
}

NET_API_STATUS SambaApi::FetchDirectoryUsers(std::uint32_t query,
                                             DWORD prefmaxlen,
                                             samba::PendingListing& listing) {
  if (!listing.directory) {
    listing.directory = std::make_shared<corvane_ldap_cursor>();
  }
  // About what a record takes, so that a page fills about one batch; the
  // directory's own limit is 1,000 a page.
  constexpr DWORD kListedUserBytes = 256;
  const DWORD page = std::clamp<DWORD>(prefmaxlen / kListedUserBytes, 1, 1000);
  NET_API_STATUS converted = NERR_Success;
  const NET_API_STATUS status = ldap_.NextUsers(
      *listing.directory, query, page, [&](samba::DirectoryUsers users) {
        for (const corvane_rpc_user& account : users) {
          std::optional<samba::ListedUser> user = samba::ListedUserOf(account);
          if (!user) {
            converted = ERROR_NO_UNICODE_TRANSLATION;
            return;
          }
          samba::ListedEntry entry{user->name, {}, nullptr};
          entry.user =
              std::make_shared<const samba::ListedUser>(std::move(*user));
          listing.entries.push_back(std::move(entry));
        }
      });
  if (status != NERR_Success) return ToPlatformStatus(status, Subject::kUser);
  listing.complete = listing.directory->complete;
  return converted;
}

NET_API_STATUS SambaApi::FetchUserRecords(DWORD filter, std::uint32_t query,
                                          DWORD prefmaxlen,
                                          samba::PendingListing& listing) {
  // Normal accounts, a page at a time from the directory; when it cannot
  // be read at the start, each listed account's record from SAMR.
  if (directory_readable_ && (filter == 0 || filter == FILTER_NORMAL_ACCOUNT)) {
    const bool first_page = !listing.directory;
    const NET_API_STATUS status =
        FetchDirectoryUsers(query, prefmaxlen, listing);
    if (status == NERR_Success || !first_page) return status;
    directory_readable_ = false;
    listing.directory.reset();
  }
  const std::size_t before = listing.entries.size();
  if (const NET_API_STATUS status = FetchUsers(filter, prefmaxlen, listing)) {
    return status;
  }
  // Each listed account's record over the same channel; one that went
  // away since it was listed is left out.
  const samba::TallocOwner strings = samba::NewTallocOwner();
  if (!strings) return ERROR_NOT_ENOUGH_MEMORY;
  for (std::size_t i = before; i < listing.entries.size();) {
    std::string name;
    if (const NET_API_STATUS status =
            samba::ToUtf8Argument(listing.entries[i].name.c_str(), name)) {
      return status;
    }
    corvane_rpc_user account{};
    const NET_API_STATUS status = ToPlatformStatus(
        rpc_.QueryUser(name, strings.get(), account), Subject::kUser);
    if (status == NERR_UserNotFound) {
      listing.entries.erase(listing.entries.begin() +
                            static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (status != NERR_Success) return status;
    std::optional<samba::ListedUser> user = samba::ListedUserOf(account);
    if (!user) return ERROR_NO_UNICODE_TRANSLATION;
    listing.entries[i].user =
        std::make_shared<const samba::ListedUser>(std::move(*user));
    ++i;
  }
  return NERR_Success;
}

namespace {

std::uint32_t DirectoryQuery(const AccountQuery& query) {
  return (query.disabled ? CORVANE_LDAP_DISABLED : 0) |
         (query.locked ? CORVANE_LDAP_LOCKED : 0) |
         (query.expired ? CORVANE_LDAP_EXPIRED : 0) |
         (query.never_logged_on ? CORVANE_LDAP_NEVER_LOGGED_ON : 0);
}

}  // namespace

NET_API_STATUS SambaApi::NetUserEnum(LPCWSTR servername, DWORD level,
                                     DWORD filter, LPBYTE* bufptr,
                                     DWORD prefmaxlen, LPDWORD entriesread,
                                     LPDWORD totalentries,
                                     LPDWORD resume_handle) {
  return EnumUsers(servername, level, filter, 0, bufptr, prefmaxlen,
                   entriesread, totalentries, resume_handle);
}

NET_API_STATUS SambaApi::NetUserEnumMatching(LPCWSTR servername,
                                             const AccountQuery& query,
                                             LPBYTE* bufptr, DWORD prefmaxlen,
                                             LPDWORD entriesread,
                                             LPDWORD totalentries,
                                             LPDWORD resume_handle) {
  return EnumUsers(servername, 3, FILTER_NORMAL_ACCOUNT, DirectoryQuery(query),
                   bufptr, prefmaxlen, entriesread, totalentries,
                   resume_handle);
}

NET_API_STATUS SambaApi::EnumUsers(LPCWSTR servername, DWORD level,
                                   DWORD filter, std::uint32_t query,
                                   LPBYTE* bufptr, DWORD prefmaxlen,
                                   LPDWORD entriesread, LPDWORD totalentries,
                                   LPDWORD resume_handle) {
  if (level != 0 && level != 3) return ERROR_INVALID_LEVEL;
  std::string host;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  DWORD_PTR handle = resume_handle != nullptr ? *resume_handle : 0;
  samba::CursorRequest request;
  request.key = {.kind = samba::ListingKind::kUsers,
                 .server = host,
                 .level = level,
                 .filter = filter,
                 .query = query,
                 .group = {}};
  request.prefmaxlen = prefmaxlen;
  request.resume_handle = resume_handle != nullptr ? &handle : nullptr;
  request.handle_limit = 0xFFFFFFFF;
  NET_API_STATUS status;
  if (level == 0) {
    status = samba::ServeListing<USER_INFO_0>(
        cursors_, request,
        [&](DWORD bytes, samba::PendingListing& listing) {
          std::lock_guard lock(calls_);
          return FetchUsers(filter, bytes, listing);
        },
        [](const samba::ListedEntry& entry, RecordBuilder<USER_INFO_0>& batch) {
          batch.Add();
          batch.Text(&USER_INFO_0::usri0_name, entry.name);
        },
        bufptr, entriesread, totalentries);
  } else {
    const auto now = static_cast<std::int64_t>(std::time(nullptr));
    status = samba::ServeListing<USER_INFO_3>(
        cursors_, request,
        [&](DWORD bytes, samba::PendingListing& listing) {
          std::lock_guard lock(calls_);
          return FetchUserRecords(filter, query, bytes, listing);
        },
        [now](const samba::ListedEntry& entry,
              RecordBuilder<USER_INFO_3>& batch) {
          samba::AddListedRecord(*entry.user, now, batch);
        },
        bufptr, entriesread, totalentries);
  }
  if (resume_handle != nullptr) *resume_handle = static_cast<DWORD>(handle);
  return status;
}

}  // namespace corvane::netapi
