#include "netapi/sid_text.h"

#include <cstdint>

namespace corvane::netapi {

bool IsSid(std::span<const BYTE> bytes) {
  return bytes.size() >= SidLength(0) && bytes[1] <= kMaxSubAuthorities &&
         bytes.size() == SidLength(bytes[1]);
}

std::uint32_t RelativeId(std::span<const BYTE> sid) {
  std::uint32_t rid = 0;
  for (std::size_t i = sid.size(); i > sid.size() - 4; --i) {
    rid = (rid << 8) | sid[i - 1];
  }
  return rid;
}

std::vector<BYTE> SiblingSid(std::span<const BYTE> sibling, std::uint32_t rid) {
  std::vector<BYTE> sid(sibling.begin(), sibling.end());
  for (std::size_t byte = 0; byte < 4; ++byte) {
    sid[sid.size() - 4 + byte] = static_cast<BYTE>(rid >> (8 * byte));
  }
  return sid;
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
