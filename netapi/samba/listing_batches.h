// Hands out a listing read from the controller in batches under the
// platform's enumeration contract (netapi/listing_batch.h); the resume
// handle names a cursor (see enumeration_cursors.h).
#pragma once

#include <algorithm>
#include <memory>
#include <utility>

#include "netapi/listing_batch.h"
#include "netapi/samba/enumeration_cursors.h"
#include "netapi/samba/samba_buffer.h"

namespace corvane::netapi::samba {

// What is asked of the controller at a time, unless the caller wants more:
// few round trips, and a bounded amount held.
inline constexpr DWORD kControllerBatchBytes = 64 * 1024;

struct CursorRequest {
  ListingKey key;
  DWORD prefmaxlen = 0;
  DWORD_PTR* resume_handle = nullptr;  // may be null: one batch only
  DWORD_PTR handle_limit = 0;
};

// After one controller call that appended `read` entries: status 0 ends the
// listing; more data promised with none sent would never end.
inline NET_API_STATUS Received(NET_API_STATUS status, std::uint32_t read,
                               PendingListing& listing) {
  if (status == NERR_Success) {
    listing.complete = true;
  } else if (status != ERROR_MORE_DATA) {
    return status;
  } else if (read == 0) {
    return ERROR_INVALID_PARAMETER;
  }
  return NERR_Success;
}

// `fetch(DWORD prefmaxlen, PendingListing&)` makes one controller call and
// appends what it sends (see Received); `fill(const ListedEntry&,
// RecordBuilder<Record>&)` adds one entry's record. `totalentries` counts
// the entries held from the resume position, plus one while the controller
// has more: always more than a batch that is not the last.
template <typename Record, typename Fetch, typename Fill>
NET_API_STATUS ServeListing(EnumerationCursors& cursors,
                            const CursorRequest& request, Fetch&& fetch,
                            Fill&& fill, LPBYTE* bufptr, LPDWORD entriesread,
                            LPDWORD totalentries) {
  if (bufptr == nullptr || entriesread == nullptr || totalentries == nullptr) {
    return ERROR_INVALID_PARAMETER;
  }
  *bufptr = nullptr;
  *entriesread = 0;
  *totalentries = 0;

  const DWORD_PTR handle =
      request.resume_handle != nullptr ? *request.resume_handle : 0;
  EnumerationCursors::Position position;
  if (handle != 0) {
    auto found = cursors.Find(handle, request.key);
    if (!found) return ERROR_INVALID_PARAMETER;
    position = std::move(*found);
  } else {
    position.listing = std::make_shared<PendingListing>();
  }

  PendingListing& listing = *position.listing;
  const auto entry_bytes = [](const ListedEntry& entry) {
    return sizeof(Record) + 2 * (entry.name.size() + entry.comment.size() + 2);
  };
  const DWORD fetch_bytes = std::max(request.prefmaxlen, kControllerBatchBytes);
  while (!listing.complete && listing.bytes <= request.prefmaxlen) {
    const std::size_t before = listing.entries.size();
    if (const NET_API_STATUS status = fetch(fetch_bytes, listing)) {
      return status;
    }
    for (std::size_t i = before; i < listing.entries.size(); ++i) {
      listing.bytes += entry_bytes(listing.entries[i]);
    }
  }

  const BatchRequest<Record> batch{
      request.prefmaxlen, listing.entries.size() + (listing.complete ? 0 : 1),
      AllocateBlock};
  std::size_t next = 0;
  std::size_t taken = 0;
  NET_API_STATUS status = ServeBatch(
      batch,
      [&](RecordBuilder<Record>& builder) {
        if (next == listing.entries.size()) return false;
        fill(listing.entries[next++], builder);
        return true;
      },
      bufptr, entriesread, totalentries, taken);
  if (status == NERR_Success && !listing.complete) status = ERROR_MORE_DATA;
  for (std::size_t i = 0; i < taken; ++i) {
    listing.bytes -= entry_bytes(listing.entries.front());
    listing.entries.pop_front();
  }
  if (status == ERROR_MORE_DATA) {
    if (request.resume_handle != nullptr) {
      *request.resume_handle = cursors.Continue(
          handle, request.key, std::move(position), request.handle_limit);
    }
  } else if (status == NERR_Success) {
    if (handle != 0) cursors.Close(handle);
    if (request.resume_handle != nullptr) *request.resume_handle = 0;
  }
  return status;
}

}  // namespace corvane::netapi::samba
