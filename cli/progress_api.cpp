#include "cli/progress_api.h"

#include <cstdio>

namespace corvane::cli {
namespace {

// A listing that ends sooner needs no progress display.
constexpr auto kQuietPeriod = std::chrono::milliseconds(300);

}  // namespace

using netapi::BOOL;
using netapi::DWORD;
using netapi::ERROR_MORE_DATA;
using netapi::LPBYTE;
using netapi::LPCWSTR;
using netapi::LPDWORD;
using netapi::LPWSTR;
using netapi::NERR_Success;
using netapi::NET_API_STATUS;
using netapi::PDWORD_PTR;

ProgressApi::ProgressApi(netapi::Api& backend, bool show)
    : backend_(backend), show_(show) {}

ProgressApi::~ProgressApi() { ClearLine(); }

void ProgressApi::ClearLine() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
}

void ProgressApi::Batch(bool first, NET_API_STATUS status,
                        LPDWORD entriesread) {
  if (!show_) return;
  if (first) {
    ClearLine();
    count_ = 0;
    started_ = std::chrono::steady_clock::now();
  }
  if (status != NERR_Success && status != ERROR_MORE_DATA) {
    ClearLine();
    return;
  }
  if (entriesread) count_ += *entriesread;
  if (status == NERR_Success) {
    ClearLine();
  } else if (std::chrono::steady_clock::now() - started_ >= kQuietPeriod) {
    std::fprintf(stderr, "\r%lu names...", count_);
    std::fflush(stderr);
    shown_ = true;
  }
}

NET_API_STATUS ProgressApi::NetGroupEnum(LPCWSTR servername, DWORD level,
                                         LPBYTE* bufptr, DWORD prefmaxlen,
                                         LPDWORD entriesread,
                                         LPDWORD totalentries,
                                         PDWORD_PTR resume_handle) {
  const bool first = resume_handle == nullptr || *resume_handle == 0;
  const NET_API_STATUS status =
      backend_.NetGroupEnum(servername, level, bufptr, prefmaxlen, entriesread,
                            totalentries, resume_handle);
  Batch(first, status, entriesread);
  return status;
}

NET_API_STATUS ProgressApi::NetGroupGetUsers(LPCWSTR servername,
                                             LPCWSTR groupname, DWORD level,
                                             LPBYTE* bufptr, DWORD prefmaxlen,
                                             LPDWORD entriesread,
                                             LPDWORD totalentries,
                                             PDWORD_PTR resume_handle) {
  const bool first = resume_handle == nullptr || *resume_handle == 0;
  const NET_API_STATUS status = backend_.NetGroupGetUsers(
      servername, groupname, level, bufptr, prefmaxlen, entriesread,
      totalentries, resume_handle);
  Batch(first, status, entriesread);
  return status;
}

NET_API_STATUS ProgressApi::NetUserEnum(LPCWSTR servername, DWORD level,
                                        DWORD filter, LPBYTE* bufptr,
                                        DWORD prefmaxlen, LPDWORD entriesread,
                                        LPDWORD totalentries,
                                        LPDWORD resume_handle) {
  const bool first = resume_handle == nullptr || *resume_handle == 0;
  const NET_API_STATUS status =
      backend_.NetUserEnum(servername, level, filter, bufptr, prefmaxlen,
                           entriesread, totalentries, resume_handle);
  Batch(first, status, entriesread);
  return status;
}

// Everything else passes straight through.

NET_API_STATUS ProgressApi::NetGetDCName(LPCWSTR servername, LPCWSTR domainname,
                                         LPBYTE* bufptr) {
  return backend_.NetGetDCName(servername, domainname, bufptr);
}
NET_API_STATUS ProgressApi::NetGroupAdd(LPCWSTR servername, DWORD level,
                                        LPBYTE buf, LPDWORD parm_err) {
  return backend_.NetGroupAdd(servername, level, buf, parm_err);
}
NET_API_STATUS ProgressApi::NetGroupDel(LPCWSTR servername, LPCWSTR groupname) {
  return backend_.NetGroupDel(servername, groupname);
}
NET_API_STATUS ProgressApi::NetGroupGetInfo(LPCWSTR servername,
                                            LPCWSTR groupname, DWORD level,
                                            LPBYTE* bufptr) {
  return backend_.NetGroupGetInfo(servername, groupname, level, bufptr);
}
NET_API_STATUS ProgressApi::NetGroupSetInfo(LPCWSTR servername,
                                            LPCWSTR groupname, DWORD level,
                                            LPBYTE buf, LPDWORD parm_err) {
  return backend_.NetGroupSetInfo(servername, groupname, level, buf, parm_err);
}
NET_API_STATUS ProgressApi::NetGroupAddUser(LPCWSTR servername,
                                            LPCWSTR groupname,
                                            LPCWSTR username) {
  return backend_.NetGroupAddUser(servername, groupname, username);
}
NET_API_STATUS ProgressApi::NetGroupDelUser(LPCWSTR servername,
                                            LPCWSTR groupname,
                                            LPCWSTR username) {
  return backend_.NetGroupDelUser(servername, groupname, username);
}
NET_API_STATUS ProgressApi::NetUserAdd(LPCWSTR servername, DWORD level,
                                       LPBYTE buf, LPDWORD parm_err) {
  return backend_.NetUserAdd(servername, level, buf, parm_err);
}
NET_API_STATUS ProgressApi::NetUserDel(LPCWSTR servername, LPCWSTR username) {
  return backend_.NetUserDel(servername, username);
}
NET_API_STATUS ProgressApi::NetUserGetInfo(LPCWSTR servername, LPCWSTR username,
                                           DWORD level, LPBYTE* bufptr) {
  return backend_.NetUserGetInfo(servername, username, level, bufptr);
}
NET_API_STATUS ProgressApi::NetUserSetInfo(LPCWSTR servername, LPCWSTR username,
                                           DWORD level, LPBYTE buf,
                                           LPDWORD parm_err) {
  return backend_.NetUserSetInfo(servername, username, level, buf, parm_err);
}
NET_API_STATUS ProgressApi::NetApiBufferAllocate(DWORD byte_count,
                                                 void** buffer) {
  return backend_.NetApiBufferAllocate(byte_count, buffer);
}
NET_API_STATUS ProgressApi::NetApiBufferFree(void* buffer) {
  return backend_.NetApiBufferFree(buffer);
}
BOOL ProgressApi::LookupAccountName(LPCWSTR system_name, LPCWSTR account_name,
                                    netapi::PSID sid, LPDWORD sid_size,
                                    LPWSTR referenced_domain_name,
                                    LPDWORD referenced_domain_name_size,
                                    netapi::SID_NAME_USE* use) {
  return backend_.LookupAccountName(system_name, account_name, sid, sid_size,
                                    referenced_domain_name,
                                    referenced_domain_name_size, use);
}
netapi::DWORD ProgressApi::LastError() { return backend_.LastError(); }
netapi::DWORD ProgressApi::PlatformId() { return backend_.PlatformId(); }
netapi::DWORD ProgressApi::CurrentThreadId() {
  return backend_.CurrentThreadId();
}

}  // namespace corvane::cli
