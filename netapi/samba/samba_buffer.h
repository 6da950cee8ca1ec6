// The blocks of the Samba backend: buffers libnetapi returns, owned until
// their contents are copied out and released with libnetapi's own
// NetApiBufferFree; and the blocks this backend hands out, plain heap
// blocks released with SambaApi::NetApiBufferFree.
#pragma once

#include <cstddef>

#include "netapi/unique_buffer.h"

namespace corvane::netapi::samba {

struct LibnetapiRelease {
  void operator()(LPBYTE buffer) const;
};
// libnetapi leaves null or a buffer of its own, also when a call fails: it
// is owned whatever the status.
using LibnetapiBuffer = UniqueBuffer<LibnetapiRelease>;

// Zero-filled, at least one byte; nullptr when memory is exhausted.
void* AllocateBlock(std::size_t byte_count);
void FreeBlock(void* block);

}  // namespace corvane::netapi::samba
