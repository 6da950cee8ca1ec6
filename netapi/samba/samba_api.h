// The platform layer on Samba: real Windows or Samba domain controllers
// administered from Linux, through libnetapi for changes and a direct RPC
// channel for reads (rpc_channel.h), with the platform's behaviour as the
// classes rely on it (UTF-16 text, Windows statuses, flags and records,
// resume handles, the controller lookup and the name-to-SID lookup).
//
// Every call goes to the one configured controller. libnetapi's context is
// process-wide and not thread-safe: calls are serialised, and only one
// SambaApi can exist in a process at a time.
#pragma once

#include <mutex>
#include <string>

#include "netapi/account_search.h"
#include "netapi/api.h"
#include "netapi/samba/directory_logons.h"
#include "netapi/samba/enumeration_cursors.h"
#include "netapi/samba/ldap_channel.h"
#include "netapi/samba/rpc_channel.h"
#include "netapi/samba/samba_config.h"
#include "netapi/samba/server_route.h"
#include "netapi/samba/session.h"
#include "netapi/samba/statuses.h"

namespace corvane::netapi {

class SambaApi final : public Api, public AccountSearch {
 public:
  // Throws std::runtime_error when the configuration is unusable.
  explicit SambaApi(SambaConfig config);

  NET_API_STATUS NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                              LPBYTE* bufptr) override;

  NET_API_STATUS NetGroupAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                             LPDWORD parm_err) override;
  NET_API_STATUS NetGroupDel(LPCWSTR servername, LPCWSTR groupname) override;
  NET_API_STATUS NetGroupEnum(LPCWSTR servername, DWORD level, LPBYTE* bufptr,
                              DWORD prefmaxlen, LPDWORD entriesread,
                              LPDWORD totalentries,
                              PDWORD_PTR resume_handle) override;
  NET_API_STATUS NetGroupGetInfo(LPCWSTR servername, LPCWSTR groupname,
                                 DWORD level, LPBYTE* bufptr) override;
  NET_API_STATUS NetGroupSetInfo(LPCWSTR servername, LPCWSTR groupname,
                                 DWORD level, LPBYTE buf,
                                 LPDWORD parm_err) override;
  NET_API_STATUS NetGroupGetUsers(LPCWSTR servername, LPCWSTR groupname,
                                  DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread, LPDWORD totalentries,
                                  PDWORD_PTR resume_handle) override;
  NET_API_STATUS NetGroupAddUser(LPCWSTR servername, LPCWSTR groupname,
                                 LPCWSTR username) override;
  NET_API_STATUS NetGroupDelUser(LPCWSTR servername, LPCWSTR groupname,
                                 LPCWSTR username) override;

  NET_API_STATUS NetUserAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                            LPDWORD parm_err) override;
  NET_API_STATUS NetUserDel(LPCWSTR servername, LPCWSTR username) override;
  NET_API_STATUS NetUserEnum(LPCWSTR servername, DWORD level, DWORD filter,
                             LPBYTE* bufptr, DWORD prefmaxlen,
                             LPDWORD entriesread, LPDWORD totalentries,
                             LPDWORD resume_handle) override;
  NET_API_STATUS NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                DWORD level, LPBYTE* bufptr) override;
  NET_API_STATUS NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                DWORD level, LPBYTE buf,
                                LPDWORD parm_err) override;
  NET_API_STATUS NetUserGetGroups(LPCWSTR servername, LPCWSTR username,
                                  DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread,
                                  LPDWORD totalentries) override;
  NET_API_STATUS NetUserModalsGet(LPCWSTR servername, DWORD level,
                                  LPBYTE* bufptr) override;

  NET_API_STATUS NetApiBufferAllocate(DWORD byte_count, void** buffer) override;
  NET_API_STATUS NetApiBufferFree(void* buffer) override;

  BOOL LookupAccountName(LPCWSTR system_name, LPCWSTR account_name, PSID sid,
                         LPDWORD sid_size, LPWSTR referenced_domain_name,
                         LPDWORD referenced_domain_name_size,
                         SID_NAME_USE* use) override;
  BOOL LookupAccountSid(LPCWSTR system_name, PSID sid, LPWSTR name,
                        LPDWORD name_size, LPWSTR referenced_domain_name,
                        LPDWORD referenced_domain_name_size,
                        SID_NAME_USE* use) override;
  DWORD LastError() override;

  DWORD PlatformId() override;
  DWORD CurrentThreadId() override;

  // Level 3 with the directory leaving out what cannot match (read from
  // SAMR, where the directory cannot be read, unnarrowed).
  NET_API_STATUS NetUserEnumMatching(LPCWSTR servername,
                                     const AccountQuery& query, LPBYTE* bufptr,
                                     DWORD prefmaxlen, LPDWORD entriesread,
                                     LPDWORD totalentries,
                                     LPDWORD resume_handle) override;

  // Every controller's own logons, with this session's credentials.
  ControllerLogons& logons() { return logons_; }

 private:
  // The host for `server`, or ERROR_NO_UNICODE_TRANSLATION /
  // ERROR_BAD_NETPATH.
  NET_API_STATUS Route(LPCWSTR server, std::string& host) const;

  // Each makes a controller call (or a few) and appends what it sends to
  // `listing` (see samba::Received), over the direct RPC channel.
  NET_API_STATUS FetchUsers(DWORD filter, DWORD prefmaxlen,
                            samba::PendingListing& listing);
  // NetUserEnum and NetUserEnumMatching (`query`: CORVANE_LDAP_*).
  NET_API_STATUS EnumUsers(LPCWSTR servername, DWORD level, DWORD filter,
                           std::uint32_t query, LPBYTE* bufptr,
                           DWORD prefmaxlen, LPDWORD entriesread,
                           LPDWORD totalentries, LPDWORD resume_handle);
  // FetchUsers with each listed account's facts (level 3), narrowed by
  // `query` where the directory is read.
  NET_API_STATUS FetchUserRecords(DWORD filter, std::uint32_t query,
                                  DWORD prefmaxlen,
                                  samba::PendingListing& listing);
  // The same from the controller's directory, a page of accounts a call.
  NET_API_STATUS FetchDirectoryUsers(std::uint32_t query, DWORD prefmaxlen,
                                     samba::PendingListing& listing);
  NET_API_STATUS FetchGroups(DWORD level, DWORD prefmaxlen,
                             samba::PendingListing& listing);
  NET_API_STATUS FetchGroupUsers(const std::string& group, DWORD prefmaxlen,
                                 samba::PendingListing& listing);

  // NetGroupAddUser and NetGroupDelUser: `call` is libnetapi's, its
  // statuses read as about `subject` (defined in groups.cpp).
  template <typename MembershipCall>
  NET_API_STATUS ChangeMembership(LPCWSTR servername, LPCWSTR groupname,
                                  LPCWSTR username, MembershipCall call,
                                  samba::Subject subject);

  // NetUserSetInfo level 4: what differs from the account, as one change.
  NET_API_STATUS SetWholeRecord(const std::string& host,
                                const std::string& user, const USER_INFO_4& in,
                                LPDWORD parm_err);

  // Account-control bits for a 1008 write: the caller's flags with the
  // account's current type bits when the caller gave none.
  NET_API_STATUS FlagsForWrite(const std::string& host, const std::string& user,
                               DWORD uf_flags, DWORD& account_control);

  SambaConfig config_;
  samba::ServerRoute route_;
  samba::EnumerationCursors cursors_;
  std::mutex calls_;  // libnetapi's context is shared and not thread-safe
  samba::Session session_;
  samba::RpcChannel rpc_;    // guarded by calls_
  samba::LdapChannel ldap_;  // guarded by calls_
  // Cleared when the directory cannot be read (no LDAP client, its port
  // closed): accounts' facts then come from SAMR, one call each.
  bool directory_readable_ = true;  // guarded by calls_
  samba::DirectoryLogons logons_;
};

}  // namespace corvane::netapi
