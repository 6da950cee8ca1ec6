// Shows a running count of names on standard error while a long listing
// comes in batch by batch, when standard error is a terminal. It sits
// between the classes and the real backend and passes every call through
// unchanged.
#pragma once

#include <chrono>

#include "netapi/api.h"

namespace corvane::cli {

class ProgressApi : public netapi::Api {
 public:
  ProgressApi(netapi::Api& backend, bool show);
  ~ProgressApi() override;
  ProgressApi(const ProgressApi&) = delete;
  ProgressApi& operator=(const ProgressApi&) = delete;

  using NET_API_STATUS = netapi::NET_API_STATUS;
  using LPCWSTR = netapi::LPCWSTR;
  using LPWSTR = netapi::LPWSTR;
  using LPBYTE = netapi::LPBYTE;
  using DWORD = netapi::DWORD;
  using LPDWORD = netapi::LPDWORD;
  using PDWORD_PTR = netapi::PDWORD_PTR;

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
  NET_API_STATUS NetApiBufferAllocate(DWORD byte_count, void** buffer) override;
  NET_API_STATUS NetApiBufferFree(void* buffer) override;
  netapi::BOOL LookupAccountName(LPCWSTR system_name, LPCWSTR account_name,
                                 netapi::PSID sid, LPDWORD sid_size,
                                 LPWSTR referenced_domain_name,
                                 LPDWORD referenced_domain_name_size,
                                 netapi::SID_NAME_USE* use) override;
  DWORD LastError() override;
  DWORD PlatformId() override;
  DWORD CurrentThreadId() override;

 private:
  // Counts a batch; a first batch (resume position 0) starts a new count.
  void Batch(bool first, NET_API_STATUS status, LPDWORD entriesread);
  void ClearLine();

  netapi::Api& backend_;
  bool show_;
  bool shown_ = false;
  unsigned long count_ = 0;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace corvane::cli
