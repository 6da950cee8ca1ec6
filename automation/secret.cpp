#include "automation/secret.h"

namespace corvane::automation {

void WipeMemory(void* data, std::size_t bytes) {
  // Stores through a volatile pointer are never dropped, even into a block
  // about to be freed.
  volatile unsigned char* byte = static_cast<unsigned char*>(data);
  for (std::size_t i = 0; i < bytes; ++i) byte[i] = 0;
}

}  // namespace corvane::automation
