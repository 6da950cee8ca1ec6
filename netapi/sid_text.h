// A SID in its binary form (revision, sub-authority count, 48-bit authority
// big-endian, sub-authorities little-endian) written as S-1-5-21-….
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "netapi/types.h"

namespace corvane::netapi {

// The platform's largest SID has 15 sub-authorities.
inline constexpr std::size_t kMaxSubAuthorities = 15;

// The bytes of a SID with `sub_authorities` (its second byte).
constexpr std::size_t SidLength(std::size_t sub_authorities) {
  return 8 + 4 * sub_authorities;
}
inline constexpr std::size_t kLargestSid = SidLength(kMaxSubAuthorities);

// Whether `bytes` is exactly one well-formed SID.
bool IsSid(std::span<const BYTE> bytes);
// The last sub-authority of a SID that has one: an account's relative id.
std::uint32_t RelativeId(std::span<const BYTE> sid);
// The SID of account `rid` in the domain of `sibling` (a SID of the same
// domain: its last sub-authority replaced).
std::vector<BYTE> SiblingSid(std::span<const BYTE> sibling, std::uint32_t rid);

// Empty for bytes that are not a SID.
std::string SidText(std::span<const BYTE> sid);

}  // namespace corvane::netapi
