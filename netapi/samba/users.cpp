// User accounts: add, delete, read, change and enumerate.
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

NET_API_STATUS SambaApi::NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                        DWORD level, LPBYTE buf,
                                        LPDWORD parm_err) {
  if (level != 1008 && !IsTextSetLevel(level)) return ERROR_INVALID_LEVEL;
  if (buf == nullptr) return ERROR_INVALID_PARAMETER;
  std::string host, user;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(username, user)) {
    return status;
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

NET_API_STATUS SambaApi::NetUserEnum(LPCWSTR servername, DWORD level,
                                     DWORD filter, LPBYTE* bufptr,
                                     DWORD prefmaxlen, LPDWORD entriesread,
                                     LPDWORD totalentries,
                                     LPDWORD resume_handle) {
  if (level != 0) return ERROR_INVALID_LEVEL;
  std::string host;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  DWORD_PTR handle = resume_handle != nullptr ? *resume_handle : 0;
  samba::CursorRequest request;
  request.key = {.kind = samba::ListingKind::kUsers,
                 .server = host,
                 .level = level,
                 .filter = filter,
                 .group = {}};
  request.prefmaxlen = prefmaxlen;
  request.resume_handle = resume_handle != nullptr ? &handle : nullptr;
  request.handle_limit = 0xFFFFFFFF;
  const NET_API_STATUS status = samba::ServeListing<USER_INFO_0>(
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
  if (resume_handle != nullptr) *resume_handle = static_cast<DWORD>(handle);
  return status;
}

}  // namespace corvane::netapi
