// Samba's SID structure in the platform's binary form: revision,
// sub-authority count, the 48-bit authority big-endian, then each
// sub-authority little-endian.
#pragma once

#include <algorithm>
#include <optional>
#include <vector>

#include "netapi/samba/libnetapi.h"
#include "netapi/sid_text.h"

namespace corvane::netapi::samba {

// Empty when there is no SID or it claims more sub-authorities than fit.
inline std::optional<std::vector<BYTE>> SidBytes(const ::domsid* sid) {
  if (sid == nullptr || sid->num_auths > MAXSUBAUTHS) return std::nullopt;
  std::vector<BYTE> bytes(SidLength(sid->num_auths));
  bytes[0] = sid->sid_rev_num;
  bytes[1] = sid->num_auths;
  std::copy(sid->id_auth, sid->id_auth + 6, bytes.begin() + 2);
  for (std::size_t i = 0; i < sid->num_auths; ++i) {
    const std::uint32_t sub = sid->sub_auths[i];
    for (std::size_t byte = 0; byte < 4; ++byte) {
      bytes[SidLength(i) + byte] = static_cast<BYTE>(sub >> (8 * byte));
    }
  }
  return bytes;
}

}  // namespace corvane::netapi::samba
