// The buffer rule of the platform layer, in one place. Every buffer an Api
// call returns through `bufptr`, and every block from its
// NetApiBufferAllocate, is owned by an ApiBuffer and released with that
// same Api's NetApiBufferFree. A call that failed leaves output that is
// neither read nor released: KeepIfSucceeded forgets it.
#pragma once

#include <cstddef>

#include "automation/secret.h"
#include "netapi/api.h"
#include "netapi/unique_buffer.h"

namespace corvane::netapi {

struct ApiRelease {
  ApiRelease() = default;
  ApiRelease(Api& owner) : api(&owner) {}  // NOLINT: ApiBuffer buffer(api)
  void operator()(LPBYTE block) const {
    // A secret's block is zeroed before the platform gets it back.
    if (wipe_bytes != 0) automation::WipeMemory(block, wipe_bytes);
    api->NetApiBufferFree(block);
  }
  Api* api = nullptr;
  std::size_t wipe_bytes = 0;
};
using ApiBuffer = UniqueBuffer<ApiRelease>;

// A listing's batch that promises more data carries records too.
inline bool Succeeded(NET_API_STATUS status) {
  return status == NERR_Success || status == ERROR_MORE_DATA;
}

// Applies the rule to the call that just wrote to buffer.put(); returns the
// call's status.
inline NET_API_STATUS KeepIfSucceeded(ApiBuffer& buffer,
                                      NET_API_STATUS status) {
  if (!Succeeded(status)) buffer.release();
  return status;
}

// A block of `bytes` bytes from NetApiBufferAllocate, owned; empty with the
// status when it cannot be had.
inline ApiBuffer AllocateApiBuffer(Api& api, DWORD bytes,
                                   NET_API_STATUS& status) {
  ApiBuffer block(api);
  status =
      KeepIfSucceeded(block, api.NetApiBufferAllocate(bytes, block.put_void()));
  return block;
}

}  // namespace corvane::netapi
