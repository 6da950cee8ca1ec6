// The platform layer: exactly the network-management, security and system
// operations the classes and the account tasks make, with the platform's
// argument lists. A backend
// (netapi32 pass-through, Samba libnetapi, the simulated controller) adds
// nothing of its own: each status goes unchanged to the caller.
//
// Buffers returned through `bufptr` belong to the backend that returned them
// and are released with that backend's NetApiBufferFree; the output of a
// failed call is neither read nor released by callers. netapi/api_buffer.h
// holds that rule: callers own such buffers only through ApiBuffer.
#pragma once

#include "netapi/types.h"

namespace corvane::netapi {

class Api {
 public:
  virtual ~Api() = default;

  virtual NET_API_STATUS NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                                      LPBYTE* bufptr) = 0;

  virtual NET_API_STATUS NetGroupAdd(LPCWSTR servername, DWORD level,
                                     LPBYTE buf, LPDWORD parm_err) = 0;
  virtual NET_API_STATUS NetGroupDel(LPCWSTR servername, LPCWSTR groupname) = 0;
  virtual NET_API_STATUS NetGroupEnum(LPCWSTR servername, DWORD level,
                                      LPBYTE* bufptr, DWORD prefmaxlen,
                                      LPDWORD entriesread, LPDWORD totalentries,
                                      PDWORD_PTR resume_handle) = 0;
  virtual NET_API_STATUS NetGroupGetInfo(LPCWSTR servername, LPCWSTR groupname,
                                         DWORD level, LPBYTE* bufptr) = 0;
  virtual NET_API_STATUS NetGroupSetInfo(LPCWSTR servername, LPCWSTR groupname,
                                         DWORD level, LPBYTE buf,
                                         LPDWORD parm_err) = 0;
  virtual NET_API_STATUS NetGroupGetUsers(LPCWSTR servername, LPCWSTR groupname,
                                          DWORD level, LPBYTE* bufptr,
                                          DWORD prefmaxlen, LPDWORD entriesread,
                                          LPDWORD totalentries,
                                          PDWORD_PTR resume_handle) = 0;
  virtual NET_API_STATUS NetGroupAddUser(LPCWSTR servername, LPCWSTR groupname,
                                         LPCWSTR username) = 0;
  virtual NET_API_STATUS NetGroupDelUser(LPCWSTR servername, LPCWSTR groupname,
                                         LPCWSTR username) = 0;

  virtual NET_API_STATUS NetUserAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                                    LPDWORD parm_err) = 0;
  virtual NET_API_STATUS NetUserDel(LPCWSTR servername, LPCWSTR username) = 0;
  virtual NET_API_STATUS NetUserEnum(LPCWSTR servername, DWORD level,
                                     DWORD filter, LPBYTE* bufptr,
                                     DWORD prefmaxlen, LPDWORD entriesread,
                                     LPDWORD totalentries,
                                     LPDWORD resume_handle) = 0;
  virtual NET_API_STATUS NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                        DWORD level, LPBYTE* bufptr) = 0;
  virtual NET_API_STATUS NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                        DWORD level, LPBYTE buf,
                                        LPDWORD parm_err) = 0;
  // The global groups `username` belongs to, as GROUP_USERS_INFO_0 names.
  virtual NET_API_STATUS NetUserGetGroups(LPCWSTR servername, LPCWSTR username,
                                          DWORD level, LPBYTE* bufptr,
                                          DWORD prefmaxlen, LPDWORD entriesread,
                                          LPDWORD totalentries) = 0;
  // The domain's account policy (level 0: password ages and lengths).
  virtual NET_API_STATUS NetUserModalsGet(LPCWSTR servername, DWORD level,
                                          LPBYTE* bufptr) = 0;

  virtual NET_API_STATUS NetApiBufferAllocate(DWORD byte_count,
                                              void** buffer) = 0;
  virtual NET_API_STATUS NetApiBufferFree(void* buffer) = 0;

  // The wide name-to-SID lookup; its failure code is read with LastError()
  // right after it returns, as the platform's thread last-error code.
  virtual BOOL LookupAccountName(LPCWSTR system_name, LPCWSTR account_name,
                                 PSID sid, LPDWORD sid_size,
                                 LPWSTR referenced_domain_name,
                                 LPDWORD referenced_domain_name_size,
                                 SID_NAME_USE* use) = 0;
  // The wide SID-to-name lookup (a user or global group of the
  // controller's domain), with the same sizing protocol and last error.
  virtual BOOL LookupAccountSid(LPCWSTR system_name, PSID sid, LPWSTR name,
                                LPDWORD name_size,
                                LPWSTR referenced_domain_name,
                                LPDWORD referenced_domain_name_size,
                                SID_NAME_USE* use) = 0;
  virtual DWORD LastError() = 0;

  // dwPlatformId of GetVersionExA.
  virtual DWORD PlatformId() = 0;
  virtual DWORD CurrentThreadId() = 0;
};

}  // namespace corvane::netapi
