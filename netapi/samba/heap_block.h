// The blocks this backend hands out: plain heap blocks, one per returned
// buffer, so that one NetApiBufferFree releases a whole answer.
#pragma once

#include <cstddef>
#include <memory>

#include "netapi/types.h"

namespace corvane::netapi::samba {

// Zero-filled; nullptr when memory is exhausted.
void* AllocateHeapBlock(std::size_t byte_count);
void FreeHeapBlock(void* block);

struct HeapBlockDeleter {
  void operator()(void* block) const { FreeHeapBlock(block); }
};
using HeapBlock = std::unique_ptr<BYTE, HeapBlockDeleter>;

}  // namespace corvane::netapi::samba
