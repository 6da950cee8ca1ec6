#include "netapi/windows/windows_api.h"

// After our own headers: the platform's macros (ERROR_MORE_DATA,
// LookupAccountName, ...) would otherwise rewrite our declarations.
#include <windows.h>
// Needs <windows.h> first.
#include <lm.h>

// Our method is LookupAccountName; the platform's is called by its W name.
#undef LookupAccountName
#undef LookupAccountSid

namespace corvane::netapi {
namespace {

// Our text is char16_t, the platform's wchar_t: both UTF-16 code units on
// Windows, so the addresses pass unchanged.
static_assert(sizeof(wchar_t) == sizeof(WCHAR));

::LPCWSTR Wide(LPCWSTR text) { return reinterpret_cast<::LPCWSTR>(text); }
::LPWSTR Wide(LPWSTR text) { return reinterpret_cast<::LPWSTR>(text); }
::LPDWORD Words(LPDWORD value) { return reinterpret_cast<::LPDWORD>(value); }

}  // namespace

// DWORD is 32 bits in both worlds; the platform spells it unsigned long.
static_assert(sizeof(::DWORD) == sizeof(DWORD));
static_assert(sizeof(::DWORD_PTR) == sizeof(DWORD_PTR));

NET_API_STATUS WindowsApi::NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                                        LPBYTE* bufptr) {
  return ::NetGetDCName(Wide(servername), Wide(domainname), bufptr);
}

NET_API_STATUS WindowsApi::NetGroupAdd(LPCWSTR servername, DWORD level,
                                       LPBYTE buf, LPDWORD parm_err) {
  return ::NetGroupAdd(Wide(servername), level, buf, Words(parm_err));
}

NET_API_STATUS WindowsApi::NetGroupDel(LPCWSTR servername, LPCWSTR groupname) {
  return ::NetGroupDel(Wide(servername), Wide(groupname));
}

NET_API_STATUS WindowsApi::NetGroupEnum(LPCWSTR servername, DWORD level,
                                        LPBYTE* bufptr, DWORD prefmaxlen,
                                        LPDWORD entriesread,
                                        LPDWORD totalentries,
                                        PDWORD_PTR resume_handle) {
  return ::NetGroupEnum(Wide(servername), level, bufptr, prefmaxlen,
                        Words(entriesread), Words(totalentries),
                        reinterpret_cast<::PDWORD_PTR>(resume_handle));
}

NET_API_STATUS WindowsApi::NetGroupGetInfo(LPCWSTR servername,
                                           LPCWSTR groupname, DWORD level,
                                           LPBYTE* bufptr) {
  return ::NetGroupGetInfo(Wide(servername), Wide(groupname), level, bufptr);
}

NET_API_STATUS WindowsApi::NetGroupSetInfo(LPCWSTR servername,
                                           LPCWSTR groupname, DWORD level,
                                           LPBYTE buf, LPDWORD parm_err) {
  return ::NetGroupSetInfo(Wide(servername), Wide(groupname), level, buf,
                           Words(parm_err));
}

NET_API_STATUS WindowsApi::NetGroupGetUsers(LPCWSTR servername,
                                            LPCWSTR groupname, DWORD level,
                                            LPBYTE* bufptr, DWORD prefmaxlen,
                                            LPDWORD entriesread,
                                            LPDWORD totalentries,
                                            PDWORD_PTR resume_handle) {
  return ::NetGroupGetUsers(Wide(servername), Wide(groupname), level, bufptr,
                            prefmaxlen, Words(entriesread), Words(totalentries),
                            reinterpret_cast<::PDWORD_PTR>(resume_handle));
}

NET_API_STATUS WindowsApi::NetGroupAddUser(LPCWSTR servername,
                                           LPCWSTR groupname,
                                           LPCWSTR username) {
  return ::NetGroupAddUser(Wide(servername), Wide(groupname), Wide(username));
}

NET_API_STATUS WindowsApi::NetGroupDelUser(LPCWSTR servername,
                                           LPCWSTR groupname,
                                           LPCWSTR username) {
  return ::NetGroupDelUser(Wide(servername), Wide(groupname), Wide(username));
}

NET_API_STATUS WindowsApi::NetUserAdd(LPCWSTR servername, DWORD level,
                                      LPBYTE buf, LPDWORD parm_err) {
  return ::NetUserAdd(Wide(servername), level, buf, Words(parm_err));
}

NET_API_STATUS WindowsApi::NetUserDel(LPCWSTR servername, LPCWSTR username) {
  return ::NetUserDel(Wide(servername), Wide(username));
}

NET_API_STATUS WindowsApi::NetUserEnum(LPCWSTR servername, DWORD level,
                                       DWORD filter, LPBYTE* bufptr,
                                       DWORD prefmaxlen, LPDWORD entriesread,
                                       LPDWORD totalentries,
                                       LPDWORD resume_handle) {
  return ::NetUserEnum(Wide(servername), level, filter, bufptr, prefmaxlen,
                       Words(entriesread), Words(totalentries),
                       Words(resume_handle));
}

NET_API_STATUS WindowsApi::NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                          DWORD level, LPBYTE* bufptr) {
  return ::NetUserGetInfo(Wide(servername), Wide(username), level, bufptr);
}

NET_API_STATUS WindowsApi::NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                          DWORD level, LPBYTE buf,
                                          LPDWORD parm_err) {
  return ::NetUserSetInfo(Wide(servername), Wide(username), level, buf,
                          Words(parm_err));
}

NET_API_STATUS WindowsApi::NetUserGetGroups(LPCWSTR servername,
                                            LPCWSTR username, DWORD level,
                                            LPBYTE* bufptr, DWORD prefmaxlen,
                                            LPDWORD entriesread,
                                            LPDWORD totalentries) {
  return ::NetUserGetGroups(Wide(servername), Wide(username), level, bufptr,
                            prefmaxlen, Words(entriesread),
                            Words(totalentries));
}

NET_API_STATUS WindowsApi::NetUserModalsGet(LPCWSTR servername, DWORD level,
                                            LPBYTE* bufptr) {
  return ::NetUserModalsGet(Wide(servername), level, bufptr);
}

NET_API_STATUS WindowsApi::NetApiBufferAllocate(DWORD byte_count,
                                                void** buffer) {
  return ::NetApiBufferAllocate(byte_count, buffer);
}

NET_API_STATUS WindowsApi::NetApiBufferFree(void* buffer) {
  return ::NetApiBufferFree(buffer);
}

BOOL WindowsApi::LookupAccountName(LPCWSTR system_name, LPCWSTR account_name,
                                   PSID sid, LPDWORD sid_size,
                                   LPWSTR referenced_domain_name,
                                   LPDWORD referenced_domain_name_size,
                                   SID_NAME_USE* use) {
  ::SID_NAME_USE platform_use = ::SidTypeUnknown;
  const BOOL found =
      ::LookupAccountNameW(Wide(system_name), Wide(account_name), sid,
                           Words(sid_size), Wide(referenced_domain_name),
                           Words(referenced_domain_name_size), &platform_use);
  if (use) *use = static_cast<SID_NAME_USE>(platform_use);
  return found;
}

BOOL WindowsApi::LookupAccountSid(LPCWSTR system_name, PSID sid, LPWSTR name,
                                  LPDWORD name_size,
                                  LPWSTR referenced_domain_name,
                                  LPDWORD referenced_domain_name_size,
                                  SID_NAME_USE* use) {
  ::SID_NAME_USE platform_use = ::SidTypeUnknown;
  const BOOL found =
      ::LookupAccountSidW(Wide(system_name), sid, Wide(name), Words(name_size),
                          Wide(referenced_domain_name),
                          Words(referenced_domain_name_size), &platform_use);
  if (use) *use = static_cast<SID_NAME_USE>(platform_use);
  return found;
}

DWORD WindowsApi::LastError() { return ::GetLastError(); }

DWORD WindowsApi::PlatformId() {
  ::OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  // A failed query leaves the platform unknown (0), which the domain's
  // platform check refuses.
  if (!::GetVersionExA(&version)) return 0;
  return version.dwPlatformId;
}

DWORD WindowsApi::CurrentThreadId() { return ::GetCurrentThreadId(); }

}  // namespace corvane::netapi
