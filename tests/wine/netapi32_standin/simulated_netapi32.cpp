// A stand-in netapi32.dll for running the production server under Wine,
// whose own netapi32 knows no domain: the network-management functions the
// server imports, with the platform's signatures, answered by the simulated
// controller with the demo domain (sized by CORVANE_SIMULATED_USERS). Wine's
// LookupAccountNameW knows only the local computer, so the executable's
// import of it is pointed at the controller's lookup as well.
//
// When a process that called it ends, one line goes to the file named by
// CORVANE_NETAPI_STANDIN_REPORT: the calls received, the blocks never
// released, the releases of blocks never handed out, and whether the SID
// lookup was redirected.
#include <atomic>
#include <cstdio>
#include <type_traits>

#include "netapi/simulated/demo_domain.h"
#include "netapi/simulated/simulated_controller.h"

// After our own headers: the platform's macros would rewrite them.
#include <windows.h>
// Needs <windows.h> first.
#include <lm.h>

// The controller's method is LookupAccountName; the platform's is called by
// its W name.
#undef LookupAccountName

#include "tests/wine/netapi32_standin/import_redirect.h"

namespace {

namespace simulated = corvane::netapi::simulated;
namespace ours = corvane::netapi;

std::atomic<bool> started{false};
bool sid_lookup_redirected = false;

simulated::SimulatedController& Controller() {
  struct Seeded : simulated::SimulatedController {
    Seeded() {
      simulated::SeedDemoDomainFromEnvironment(*this);
      started = true;
    }
  };
  static Seeded controller;
  return controller;
}

// The platform's texts and numbers are ours, spelled differently:
// wchar_t and char16_t are both UTF-16 code units here, and DWORD is 32
// bits in both.
static_assert(sizeof(wchar_t) == sizeof(ours::WCHAR));
static_assert(sizeof(::DWORD) == sizeof(ours::DWORD));
static_assert(sizeof(::DWORD_PTR) == sizeof(ours::DWORD_PTR));
ours::LPCWSTR Ours(LPCWSTR text) {
  return reinterpret_cast<ours::LPCWSTR>(text);
}
ours::LPWSTR Ours(LPWSTR text) { return reinterpret_cast<ours::LPWSTR>(text); }
ours::LPDWORD Ours(LPDWORD value) {
  return reinterpret_cast<ours::LPDWORD>(value);
}
ours::PDWORD_PTR Ours(PDWORD_PTR value) {
  return reinterpret_cast<ours::PDWORD_PTR>(value);
}

BOOL WINAPI LookupAccountNameOfController(LPCWSTR system, LPCWSTR account,
                                          PSID sid, LPDWORD sid_size,
                                          LPWSTR domain, LPDWORD domain_size,
                                          PSID_NAME_USE use) {
  ours::SID_NAME_USE kind{};
  const BOOL found = Controller().LookupAccountName(
      Ours(system), Ours(account), sid, Ours(sid_size), Ours(domain),
      Ours(domain_size), &kind);
  if (use) *use = static_cast<SID_NAME_USE>(kind);
  if (!found) SetLastError(Controller().LastError());
  return found;
}
static_assert(std::is_same_v<decltype(&LookupAccountNameOfController),
                             decltype(&::LookupAccountNameW)>);

void Report() {
  if (!started) return;
  const wchar_t* path = _wgetenv(L"CORVANE_NETAPI_STANDIN_REPORT");
  if (!path || !*path) return;
  FILE* file = _wfopen(path, L"a");
  if (!file) return;
  std::fprintf(file,
               "calls %zu, blocks outstanding %zu, stray releases %zu, SID "
               "lookup %s\n",
               Controller().journal().calls().size(),
               Controller().ledger().outstanding(),
               Controller().ledger().stray_releases(),
               sid_lookup_redirected ? "redirected" : "not redirected");
  std::fclose(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    // The executable's imports are bound before any DLL starts.
    sid_lookup_redirected = corvane::wine_test::RedirectImport(
        GetModuleHandleW(nullptr), "advapi32.dll", "LookupAccountNameW",
        reinterpret_cast<void*>(&LookupAccountNameOfController));
  } else if (reason == DLL_PROCESS_DETACH) {
    Report();
  }
  return TRUE;
}

NET_API_STATUS WINAPI NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                                   LPBYTE* bufptr) {
  return Controller().NetGetDCName(Ours(servername), Ours(domainname), bufptr);
}

NET_API_STATUS WINAPI NetGroupAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                                  LPDWORD parm_err) {
  return Controller().NetGroupAdd(Ours(servername), level, buf, Ours(parm_err));
}

NET_API_STATUS WINAPI NetGroupDel(LPCWSTR servername, LPCWSTR groupname) {
  return Controller().NetGroupDel(Ours(servername), Ours(groupname));
}

NET_API_STATUS WINAPI NetGroupEnum(LPCWSTR servername, DWORD level,
                                   LPBYTE* bufptr, DWORD prefmaxlen,
                                   LPDWORD entriesread, LPDWORD totalentries,
                                   PDWORD_PTR resume_handle) {
  return Controller().NetGroupEnum(Ours(servername), level, bufptr, prefmaxlen,
                                   Ours(entriesread), Ours(totalentries),
                                   Ours(resume_handle));
}

NET_API_STATUS WINAPI NetGroupGetInfo(LPCWSTR servername, LPCWSTR groupname,
                                      DWORD level, LPBYTE* bufptr) {
  return Controller().NetGroupGetInfo(Ours(servername), Ours(groupname), level,
                                      bufptr);
}

NET_API_STATUS WINAPI NetGroupSetInfo(LPCWSTR servername, LPCWSTR groupname,
                                      DWORD level, LPBYTE buf,
                                      LPDWORD parm_err) {
  return Controller().NetGroupSetInfo(Ours(servername), Ours(groupname), level,
                                      buf, Ours(parm_err));
}

NET_API_STATUS WINAPI NetGroupGetUsers(LPCWSTR servername, LPCWSTR groupname,
                                       DWORD level, LPBYTE* bufptr,
                                       DWORD prefmaxlen, LPDWORD entriesread,
                                       LPDWORD totalentries,
                                       PDWORD_PTR resume_handle) {
  return Controller().NetGroupGetUsers(Ours(servername), Ours(groupname), level,
                                       bufptr, prefmaxlen, Ours(entriesread),
                                       Ours(totalentries), Ours(resume_handle));
}

NET_API_STATUS WINAPI NetGroupAddUser(LPCWSTR servername, LPCWSTR groupname,
                                      LPCWSTR username) {
  return Controller().NetGroupAddUser(Ours(servername), Ours(groupname),
                                      Ours(username));
}

NET_API_STATUS WINAPI NetGroupDelUser(LPCWSTR servername, LPCWSTR groupname,
                                      LPCWSTR username) {
  return Controller().NetGroupDelUser(Ours(servername), Ours(groupname),
                                      Ours(username));
}

NET_API_STATUS WINAPI NetUserAdd(LPCWSTR servername, DWORD level, LPBYTE buf,
                                 LPDWORD parm_err) {
  return Controller().NetUserAdd(Ours(servername), level, buf, Ours(parm_err));
}

NET_API_STATUS WINAPI NetUserDel(LPCWSTR servername, LPCWSTR username) {
  return Controller().NetUserDel(Ours(servername), Ours(username));
}

NET_API_STATUS WINAPI NetUserEnum(LPCWSTR servername, DWORD level, DWORD filter,
                                  LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread, LPDWORD totalentries,
                                  LPDWORD resume_handle) {
  return Controller().NetUserEnum(Ours(servername), level, filter, bufptr,
                                  prefmaxlen, Ours(entriesread),
                                  Ours(totalentries), Ours(resume_handle));
}

NET_API_STATUS WINAPI NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                     DWORD level, LPBYTE* bufptr) {
  return Controller().NetUserGetInfo(Ours(servername), Ours(username), level,
                                     bufptr);
}

NET_API_STATUS WINAPI NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                     DWORD level, LPBYTE buf,
                                     LPDWORD parm_err) {
  return Controller().NetUserSetInfo(Ours(servername), Ours(username), level,
                                     buf, Ours(parm_err));
}

NET_API_STATUS WINAPI NetUserGetGroups(LPCWSTR servername, LPCWSTR username,
                                       DWORD level, LPBYTE* bufptr,
                                       DWORD prefmaxlen, LPDWORD entriesread,
                                       LPDWORD totalentries) {
  return Controller().NetUserGetGroups(Ours(servername), Ours(username), level,
                                       bufptr, prefmaxlen, Ours(entriesread),
                                       Ours(totalentries));
}

NET_API_STATUS WINAPI NetUserModalsGet(LPCWSTR servername, DWORD level,
                                       LPBYTE* bufptr) {
  return Controller().NetUserModalsGet(Ours(servername), level, bufptr);
}

NET_API_STATUS WINAPI NetApiBufferAllocate(DWORD byte_count, LPVOID* buffer) {
  return Controller().NetApiBufferAllocate(byte_count, buffer);
}

NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
  return Controller().NetApiBufferFree(buffer);
}
