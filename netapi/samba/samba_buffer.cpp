#include "netapi/samba/samba_buffer.h"

#include <cstdlib>

#include "netapi/samba/libnetapi.h"

namespace corvane::netapi::samba {

void LibnetapiRelease::operator()(LPBYTE buffer) const {
  ::NetApiBufferFree(buffer);
}

void* AllocateBlock(std::size_t byte_count) {
  // One byte at least, so that a successful allocation is never nullptr.
  return std::calloc(byte_count == 0 ? 1 : byte_count, 1);
}

void FreeBlock(void* block) { std::free(block); }

}  // namespace corvane::netapi::samba
