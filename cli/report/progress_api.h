// Shows a running count of names on standard error while a long listing
// comes in batch by batch, when standard error is a terminal. It sits
// between the classes and the real backend and passes every call through
// unchanged.
#pragma once

#include <chrono>

#include "netapi/forwarding_api.h"

namespace corvane::cli {

class ProgressApi : public netapi::ForwardingApi {
 public:
  ProgressApi(netapi::Api& backend, bool show);
  ~ProgressApi() override;
  ProgressApi(const ProgressApi&) = delete;
  ProgressApi& operator=(const ProgressApi&) = delete;

  using NET_API_STATUS = netapi::NET_API_STATUS;
  using LPCWSTR = netapi::LPCWSTR;
  using LPBYTE = netapi::LPBYTE;
  using DWORD = netapi::DWORD;
  using LPDWORD = netapi::LPDWORD;
  using PDWORD_PTR = netapi::PDWORD_PTR;

  NET_API_STATUS NetGroupEnum(LPCWSTR servername, DWORD level, LPBYTE* bufptr,
                              DWORD prefmaxlen, LPDWORD entriesread,
                              LPDWORD totalentries,
                              PDWORD_PTR resume_handle) override;
  NET_API_STATUS NetGroupGetUsers(LPCWSTR servername, LPCWSTR groupname,
                                  DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread, LPDWORD totalentries,
                                  PDWORD_PTR resume_handle) override;
  NET_API_STATUS NetUserEnum(LPCWSTR servername, DWORD level, DWORD filter,
                             LPBYTE* bufptr, DWORD prefmaxlen,
                             LPDWORD entriesread, LPDWORD totalentries,
                             LPDWORD resume_handle) override;

 private:
  // Counts a batch; a first batch (resume position 0) starts a new count.
  void Batch(bool first, NET_API_STATUS status, LPDWORD entriesread);
  void ClearLine();

  bool show_;
  bool shown_ = false;
  unsigned long count_ = 0;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace corvane::cli
