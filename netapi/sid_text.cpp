#include "netapi/sid_text.h"

#include <cstdint>

namespace corvane::netapi {

bool IsSid(std::span<const BYTE> bytes) {
  return bytes.size() >= 8 && bytes[1] <= 15 &&
         bytes.size() == 8u + 4u * bytes[1];
}

std::string SidText(std::span<const BYTE> sid) {
  if (!IsSid(sid)) return {};
  std::uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::string text =
      "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
  for (std::size_t offset = 8; offset < sid.size(); offset += 4) {
    std::uint32_t sub = 0;
    for (int i = 3; i >= 0; --i) sub = (sub << 8) | sid[offset + i];
    // Appended in place: g++ 12 warns falsely (-Wrestrict) about
    // "-" + std::to_string(...).
    text.append("-").append(std::to_string(sub));
  }
  return text;
}

}  // namespace corvane::netapi
