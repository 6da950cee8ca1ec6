#include "cli/report/progress_api.h"

#include <cstdio>

namespace corvane::cli {
namespace {

// A listing that ends sooner needs no progress display.
constexpr auto kQuietPeriod = std::chrono::milliseconds(300);

}  // namespace

using netapi::DWORD;
using netapi::ERROR_MORE_DATA;
using netapi::LPBYTE;
using netapi::LPCWSTR;
using netapi::LPDWORD;
using netapi::NERR_Success;
using netapi::NET_API_STATUS;
using netapi::PDWORD_PTR;

ProgressApi::ProgressApi(netapi::Api& backend, bool show)
    : ForwardingApi(backend), show_(show) {}

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
      backend().NetGroupEnum(servername, level, bufptr, prefmaxlen, entriesread,
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
  const NET_API_STATUS status = backend().NetGroupGetUsers(
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
      backend().NetUserEnum(servername, level, filter, bufptr, prefmaxlen,
                            entriesread, totalentries, resume_handle);
  Batch(first, status, entriesread);
  return status;
}

}  // namespace corvane::cli
