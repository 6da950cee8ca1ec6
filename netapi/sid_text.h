// A SID in its binary form (revision, sub-authority count, 48-bit authority
// big-endian, sub-authorities little-endian) written as S-1-5-21-….
#pragma once

#include <span>
#include <string>

#include "netapi/types.h"

namespace corvane::netapi {

// Whether `bytes` is exactly one well-formed SID.
bool IsSid(std::span<const BYTE> bytes);
// Empty for bytes that are not a SID.
std::string SidText(std::span<const BYTE> sid);

}  // namespace corvane::netapi
