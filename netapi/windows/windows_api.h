// The platform layer on Windows itself: every operation passes straight to
// netapi32, advapi32 or kernel32 with its arguments unchanged, and every
// status comes back unchanged. Our records are the platform's own
// (record_layout.cpp proves it at compile time), so buffers pass as they
// are.
#pragma once

#include "netapi/api.h"

namespace corvane::netapi {

class WindowsApi final : public Api {
 public:
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
};

}  // namespace corvane::netapi
