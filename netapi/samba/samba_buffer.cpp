#include "netapi/samba/samba_buffer.h"

#include "netapi/samba/libnetapi.h"

namespace corvane::netapi::samba {

void SambaBufferDeleter::operator()(std::uint8_t* buffer) const {
  ::NetApiBufferFree(buffer);
}

}  // namespace corvane::netapi::samba
