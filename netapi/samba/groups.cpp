// Global groups: add, delete, read, comment, enumerate, and membership.
#include <algorithm>
#include <mutex>

#include "netapi/samba/libnetapi.h"
#include "netapi/samba/listing_batches.h"
#include "netapi/samba/samba_api.h"
#include "netapi/samba/samba_buffer.h"
#include "netapi/samba/statuses.h"
#include "netapi/samba/text.h"

namespace corvane::netapi {
namespace {

using samba::Subject;
using samba::ToPlatformStatus;

// Level of Samba's NetGroupSetInfo that writes the comment alone.
constexpr DWORD kSambaCommentLevel = 1002;

bool Convert(const char* in, std::u16string& out) {
  std::optional<std::u16string> converted = samba::ToUtf16(in);
  if (!converted) return false;
  out = std::move(*converted);
  return true;
}

void AddGroup(const samba::ListedEntry& entry,
              RecordBuilder<GROUP_INFO_0>& out) {
  out.Add();
  out.Text(&GROUP_INFO_0::grpi0_name, entry.name);
}

void AddGroup(const samba::ListedEntry& entry,
              RecordBuilder<GROUP_INFO_1>& out) {
  out.Add();
  out.Text(&GROUP_INFO_1::grpi1_name, entry.name);
  out.Text(&GROUP_INFO_1::grpi1_comment, entry.comment);
}

void AddMember(const samba::ListedEntry& entry,
               RecordBuilder<GROUP_USERS_INFO_0>& out) {
  out.Add();
  out.Text(&GROUP_USERS_INFO_0::grui0_name, entry.name);
}

}  // namespace

NET_API_STATUS SambaApi::NetGroupAdd(LPCWSTR servername, DWORD level,
                                     LPBYTE buf, LPDWORD parm_err) {
  if (level > 1) return ERROR_INVALID_LEVEL;
  if (buf == nullptr) return ERROR_INVALID_PARAMETER;
  std::string host, name, comment;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  // GROUP_INFO_0 is the first member of GROUP_INFO_1.
  const auto& in = *reinterpret_cast<const GROUP_INFO_1*>(buf);
  if (const NET_API_STATUS status =
          samba::ToUtf8Argument(in.grpi1_name, name)) {
    return status;
  }
  if (level == 1) {
    if (const NET_API_STATUS status =
            samba::ToUtf8Argument(in.grpi1_comment, comment)) {
      return status;
    }
  }
  if (name.empty()) {
    if (parm_err != nullptr) *parm_err = GROUP_NAME_PARMNUM;
    return ERROR_INVALID_PARAMETER;
  }
  ::GROUP_INFO_1 record{.grpi1_name = name.c_str(),
                        .grpi1_comment = comment.c_str()};
  std::uint32_t samba_parm_err = 0;
  std::lock_guard lock(calls_);
  const NET_API_STATUS status = ToPlatformStatus(
      ::NetGroupAdd(host.c_str(), level,
                    reinterpret_cast<std::uint8_t*>(&record), &samba_parm_err),
      Subject::kGroup);
  if (status == ERROR_INVALID_PARAMETER && parm_err != nullptr) {
    *parm_err = samba_parm_err;
  }
  return status;
}

NET_API_STATUS SambaApi::NetGroupDel(LPCWSTR servername, LPCWSTR groupname) {
  std::string host, group;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(groupname, group)) {
    return status;
  }
  std::lock_guard lock(calls_);
  return ToPlatformStatus(::NetGroupDel(host.c_str(), group.c_str()),
                          Subject::kGroup);
}

NET_API_STATUS SambaApi::NetGroupGetInfo(LPCWSTR servername, LPCWSTR groupname,
                                         DWORD level, LPBYTE* bufptr) {
  if (level > 1) return ERROR_INVALID_LEVEL;
  if (bufptr == nullptr) return ERROR_INVALID_PARAMETER;
  std::string host, group;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(groupname, group)) {
    return status;
  }
  // Samba 4.17's NetGroupGetInfo returns name and comment pointing into
  // memory it has already released, so the record comes over the direct
  // RPC channel: the same look-up by name, whatever the domain's size.
  samba::ListedEntry found;
  {
    std::lock_guard lock(calls_);
    std::uint32_t rid = 0, kind = 0;
    NET_API_STATUS status = rpc_.LookupName(group, rid, kind);
    // A user's name is no group's, as on the platform.
    if (status == NERR_Success && kind != samba::kSamrGroup) {
      return NERR_GroupNotFound;
    }
    samba::GroupRecord record;
    if (status == NERR_Success) status = rpc_.QueryGroup(rid, record);
    if (status != NERR_Success)
      return ToPlatformStatus(status, Subject::kGroup);
    if (!Convert(record.name.c_str(), found.name) ||
        !Convert(record.comment.c_str(), found.comment)) {
      return ERROR_NO_UNICODE_TRANSLATION;
    }
  }
  if (level == 0) {
    RecordBuilder<GROUP_INFO_0> builder;
    AddGroup(found, builder);
    *bufptr = builder.Build(samba::AllocateBlock);
  } else {
    RecordBuilder<GROUP_INFO_1> builder;
    AddGroup(found, builder);
    *bufptr = builder.Build(samba::AllocateBlock);
  }
  return *bufptr == nullptr ? ERROR_NOT_ENOUGH_MEMORY : NERR_Success;
}

NET_API_STATUS SambaApi::NetGroupSetInfo(LPCWSTR servername, LPCWSTR groupname,
                                         DWORD level, LPBYTE buf,
                                         LPDWORD parm_err) {
  // Level 0 renames the group (over the direct RPC channel, its SID
  // kept); level 1 changes the comment, its name member not used, as on
  // the platform.
  if (level > 1) return ERROR_INVALID_LEVEL;
  if (buf == nullptr) return ERROR_INVALID_PARAMETER;
  std::string host, group, comment;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(groupname, group)) {
    return status;
  }
  if (level == 0) {
    std::string name;
    if (const NET_API_STATUS status = samba::ToUtf8Argument(
            reinterpret_cast<const GROUP_INFO_0*>(buf)->grpi0_name, name)) {
      return status;
    }
    if (name.empty()) {
      if (parm_err != nullptr) *parm_err = GROUP_NAME_PARMNUM;
      return ERROR_INVALID_PARAMETER;
    }
    std::lock_guard lock(calls_);
    return ToPlatformStatus(rpc_.RenameGroup(group, name), Subject::kGroup);
  }
  const auto& in = *reinterpret_cast<const GROUP_INFO_1*>(buf);
  if (const NET_API_STATUS status =
          samba::ToUtf8Argument(in.grpi1_comment, comment)) {
    return status;
  }
  ::GROUP_INFO_1002 record{.grpi1002_comment = comment.c_str()};
  std::uint32_t samba_parm_err = 0;
  std::lock_guard lock(calls_);
  const NET_API_STATUS status = ToPlatformStatus(
      ::NetGroupSetInfo(host.c_str(), group.c_str(), kSambaCommentLevel,
                        reinterpret_cast<std::uint8_t*>(&record),
                        &samba_parm_err),
      Subject::kGroup);
  if (status == ERROR_INVALID_PARAMETER && parm_err != nullptr) {
    *parm_err = GROUP_COMMENT_PARMNUM;
  }
  return status;
}

template <typename MembershipCall>
NET_API_STATUS SambaApi::ChangeMembership(LPCWSTR servername, LPCWSTR groupname,
                                          LPCWSTR username, MembershipCall call,
                                          samba::Subject subject) {
  std::string host, group, user;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(groupname, group)) {
    return status;
  }
  if (const NET_API_STATUS status = samba::ToUtf8Argument(username, user)) {
    return status;
  }
  std::lock_guard lock(calls_);
  return ToPlatformStatus(call(host.c_str(), group.c_str(), user.c_str()),
                          subject);
}

NET_API_STATUS SambaApi::NetGroupAddUser(LPCWSTR servername, LPCWSTR groupname,
                                         LPCWSTR username) {
  return ChangeMembership(servername, groupname, username, ::NetGroupAddUser,
                          Subject::kGroupMember);
}

NET_API_STATUS SambaApi::NetGroupDelUser(LPCWSTR servername, LPCWSTR groupname,
                                         LPCWSTR username) {
  return ChangeMembership(servername, groupname, username, ::NetGroupDelUser,
                          Subject::kGroupNonMember);
}

NET_API_STATUS SambaApi::FetchGroups(DWORD level, DWORD prefmaxlen,
                                     samba::PendingListing& listing) {
  const std::size_t before = listing.entries.size();
  const NET_API_STATUS status = rpc_.ListGroups(prefmaxlen, listing);
  if (level == 0) {
    for (std::size_t i = before; i < listing.entries.size(); ++i) {
      listing.entries[i].comment.clear();
    }
  }
  return status;
}

NET_API_STATUS SambaApi::NetGroupEnum(LPCWSTR servername, DWORD level,
                                      LPBYTE* bufptr, DWORD prefmaxlen,
                                      LPDWORD entriesread, LPDWORD totalentries,
                                      PDWORD_PTR resume_handle) {
  if (level > 1) return ERROR_INVALID_LEVEL;
  std::string host;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  samba::CursorRequest request;
  request.key = {.kind = samba::ListingKind::kGroups,
                 .server = host,
                 .level = level,
                 .filter = 0,
                 .query = 0,
                 .group = {}};
  request.prefmaxlen = prefmaxlen;
  request.resume_handle = resume_handle;
  request.handle_limit = 0xFFFFFFFF;
  auto fetch = [&](DWORD bytes, samba::PendingListing& listing) {
    std::lock_guard lock(calls_);
    return FetchGroups(level, bytes, listing);
  };
  const auto fill = [](const samba::ListedEntry& entry, auto& batch) {
    AddGroup(entry, batch);
  };
  if (level == 0) {
    return samba::ServeListing<GROUP_INFO_0>(cursors_, request, fetch, fill,
                                             bufptr, entriesread, totalentries);
  }
  return samba::ServeListing<GROUP_INFO_1>(cursors_, request, fetch, fill,
                                           bufptr, entriesread, totalentries);
}

NET_API_STATUS SambaApi::FetchGroupUsers(const std::string& group,
                                         DWORD prefmaxlen,
                                         samba::PendingListing& listing) {
  // Over the direct RPC channel: libnetapi names every member in one
  // look-up, which a group of more than 1,000 members exceeds.
  return ToPlatformStatus(rpc_.ListGroupMembers(group, prefmaxlen, listing),
                          Subject::kGroup);
}

NET_API_STATUS SambaApi::NetGroupGetUsers(LPCWSTR servername, LPCWSTR groupname,
                                          DWORD level, LPBYTE* bufptr,
                                          DWORD prefmaxlen, LPDWORD entriesread,
                                          LPDWORD totalentries,
                                          PDWORD_PTR resume_handle) {
  if (level != 0) return ERROR_INVALID_LEVEL;
  std::string host, group;
  if (const NET_API_STATUS status = Route(servername, host)) return status;
  if (const NET_API_STATUS status = samba::ToUtf8Argument(groupname, group)) {
    return status;
  }
  samba::CursorRequest request;
  request.key = {.kind = samba::ListingKind::kGroupMembers,
                 .server = host,
                 .level = level,
                 .filter = 0,
                 .group = group};
  request.prefmaxlen = prefmaxlen;
  request.resume_handle = resume_handle;
  request.handle_limit = 0xFFFFFFFF;
  return samba::ServeListing<GROUP_USERS_INFO_0>(
      cursors_, request,
      [&](DWORD bytes, samba::PendingListing& listing) {
        std::lock_guard lock(calls_);
        return FetchGroupUsers(group, bytes, listing);
      },
      AddMember, bufptr, entriesread, totalentries);
}

}  // namespace corvane::netapi
