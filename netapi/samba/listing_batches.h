// Hands out a fetched listing in batches under the platform's enumeration
// contract (netapi/listing_batch.h); the resume handle names a cursor (see
// enumeration_cursors.h).
#pragma once

#include <memory>
#include <utility>

#include "netapi/listing_batch.h"
#include "netapi/samba/enumeration_cursors.h"
#include "netapi/samba/samba_buffer.h"

namespace corvane::netapi::samba {

struct CursorRequest {
  ListingKey key;
  DWORD prefmaxlen = 0;
  DWORD_PTR* resume_handle = nullptr;  // may be null: one batch only
  DWORD_PTR handle_limit = 0;
};

// `fetch(Listing&)` reads the listing from the controller when an
// enumeration starts; `fill(const ListedEntry&, RecordBuilder<Record>&)`
// adds one entry's record.
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
    Listing listing;
    const NET_API_STATUS status = fetch(listing);
    if (status != NERR_Success) return status;
    position.listing = std::make_shared<const Listing>(std::move(listing));
  }

  const Listing& listing = *position.listing;
  const BatchRequest<Record> batch{
      request.prefmaxlen, listing.size() - position.next, AllocateBlock};
  std::size_t next = position.next;
  std::size_t taken = 0;
  const NET_API_STATUS status = ServeBatch(
      batch,
      [&](RecordBuilder<Record>& builder) {
        if (next == listing.size()) return false;
        fill(listing[next++], builder);
        return true;
      },
      bufptr, entriesread, totalentries, taken);
  if (status == ERROR_MORE_DATA) {
    if (request.resume_handle != nullptr) {
      position.next += taken;
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
