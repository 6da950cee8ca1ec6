// Hands out a fetched listing in batches under the platform's enumeration
// contract (see enumeration_cursors.h).
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "netapi/samba/enumeration_cursors.h"
#include "netapi/samba/record_block.h"

namespace corvane::netapi::samba {

struct BatchRequest {
  ListingKey key;
  DWORD prefmaxlen = 0;
  DWORD_PTR* resume_handle = nullptr;  // may be null: one batch only
  DWORD_PTR handle_limit = 0;
};

// `fetch(Listing&)` reads the listing from the controller when an
// enumeration starts; `fill(const ListedEntry&, RecordDraft<Record>&)`
// shapes one record.
template <typename Record, typename Fetch, typename Fill>
NET_API_STATUS ServeBatch(EnumerationCursors& cursors,
                          const BatchRequest& request, Fetch&& fetch,
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
  std::vector<RecordDraft<Record>> drafts;
  std::size_t bytes = 0;
  for (std::size_t i = position.next; i < listing.size(); ++i) {
    RecordDraft<Record> draft;
    fill(listing[i], draft);
    const std::size_t size = PlacedSize(draft);
    // At least one record per batch, however small the preferred length.
    if (!drafts.empty() && bytes + size > request.prefmaxlen) break;
    bytes += size;
    drafts.push_back(std::move(draft));
  }
  bool out_of_memory = false;
  HeapBlock block = PlaceRecords(drafts.data(), drafts.size(), out_of_memory);
  if (out_of_memory) return ERROR_NOT_ENOUGH_MEMORY;

  const std::size_t next = position.next + drafts.size();
  *entriesread = static_cast<DWORD>(drafts.size());
  *totalentries = static_cast<DWORD>(listing.size() - position.next);
  *bufptr = block.release();
  if (next < listing.size()) {
    if (request.resume_handle != nullptr) {
      position.next = next;
      *request.resume_handle = cursors.Continue(
          handle, request.key, std::move(position), request.handle_limit);
    }
    return ERROR_MORE_DATA;
  }
  if (handle != 0) cursors.Close(handle);
  if (request.resume_handle != nullptr) *request.resume_handle = 0;
  return NERR_Success;
}

}  // namespace corvane::netapi::samba
