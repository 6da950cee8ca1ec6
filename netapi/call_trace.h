// A call trace over any backend: each call that reaches a controller is
// passed through unchanged and then written as one line with its name,
// server, information level, status and time taken, so a failure against a
// real controller can be diagnosed without a debugger. Records are never
// written, so no password (levels 1 and 1003) and no other secret field can
// appear; buffer allocation and release are not traced.
#pragma once

#include <ostream>
#include <string_view>

#include "netapi/account_search.h"
#include "netapi/forwarding_api.h"

namespace corvane::netapi {

class CallTrace final : public ForwardingApi, public AccountSearch {
 public:
  // `search`: the backend's narrowed listing, traced too when given.
  CallTrace(Api& backend, std::ostream& out, AccountSearch* search = nullptr)
      : ForwardingApi(backend), out_(out), search_(search) {}

  // The traced narrowed listing; null when the backend has none.
  AccountSearch* search() { return search_ != nullptr ? this : nullptr; }
  // Written as NetUserEnum at level 3, which it is, narrowed.
  NET_API_STATUS NetUserEnumMatching(LPCWSTR servername,
                                     const AccountQuery& query, LPBYTE* bufptr,
                                     DWORD prefmaxlen, LPDWORD entriesread,
                                     LPDWORD totalentries,
                                     LPDWORD resume_handle) override;

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
  BOOL LookupAccountName(LPCWSTR system_name, LPCWSTR account_name, PSID sid,
                         LPDWORD sid_size, LPWSTR referenced_domain_name,
                         LPDWORD referenced_domain_name_size,
                         SID_NAME_USE* use) override;
  BOOL LookupAccountSid(LPCWSTR system_name, PSID sid, LPWSTR name,
                        LPDWORD name_size, LPWSTR referenced_domain_name,
                        LPDWORD referenced_domain_name_size,
                        SID_NAME_USE* use) override;

 private:
  // Runs `call` and writes its line; `level` < 0 for calls without one.
  template <typename Call>
  NET_API_STATUS Traced(std::string_view name, LPCWSTR server, long level,
                        Call&& call);

  std::ostream& out_;
  AccountSearch* search_;
};

}  // namespace corvane::netapi
