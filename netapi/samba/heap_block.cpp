#include "netapi/samba/heap_block.h"

#include <cstdlib>

namespace corvane::netapi::samba {

void* AllocateHeapBlock(std::size_t byte_count) {
  // One byte at least, so that a successful allocation is never nullptr.
  return std::calloc(byte_count == 0 ? 1 : byte_count, 1);
}

void FreeHeapBlock(void* block) { std::free(block); }

}  // namespace corvane::netapi::samba
