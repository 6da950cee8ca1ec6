// The platform's enumeration contract, served once for every listing of
// every backend: a batch holds the entries that fit in the caller's
// preferred length, and always at least one; ERROR_MORE_DATA says more are
// left; `totalentries` is what the backend reports as left from the resume
// position. Where the resume position is kept is the backend's own affair.
#pragma once

#include <cstddef>

#include "netapi/record_builder.h"

namespace corvane::netapi {

template <typename Record>
struct BatchRequest {
  DWORD prefmaxlen = 0;
  std::size_t total_entries = 0;  // reported as is
  BlockAllocator allocate;
};

// `add_next(RecordBuilder<Record>&)` adds the next entry's record and
// returns true, or returns false when none is left. `taken` receives the
// number of entries in the batch. A batch that does not fit gives back the
// one entry added last, and only then is ERROR_MORE_DATA returned: that
// entry is the backend's to offer first next time. Null counts are not
// written.
template <typename Record, typename AddNext>
NET_API_STATUS ServeBatch(const BatchRequest<Record>& request,
                          AddNext&& add_next, LPBYTE* bufptr,
                          LPDWORD entriesread, LPDWORD totalentries,
                          std::size_t& taken) {
  RecordBuilder<Record> batch;
  bool more = false;
  while (add_next(batch)) {
    if (batch.count() > 1 && batch.bytes() > request.prefmaxlen) {
      batch.DropLast();
      more = true;
      break;
    }
  }
  taken = batch.count();
  *bufptr = batch.Build(request.allocate);
  if (*bufptr == nullptr) {
    taken = 0;
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  if (entriesread != nullptr) *entriesread = static_cast<DWORD>(taken);
  if (totalentries != nullptr) {
    *totalentries = static_cast<DWORD>(request.total_entries);
  }
  return more ? ERROR_MORE_DATA : NERR_Success;
}

}  // namespace corvane::netapi
