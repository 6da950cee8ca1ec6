// The texts an object leaves in sLastError: "SUCCESS" or one of the four
// error forms. Every number is written as a signed decimal integer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "netapi/types.h"

namespace corvane::common {

inline constexpr std::u16string_view kSuccess = u"SUCCESS";

// A text argument holding a NUL would be cut there by the NUL-terminated
// platform calls and act on a different account; such text is refused
// before any platform call with this precondition text.
inline constexpr std::u16string_view kTextContainsNul =
    u"ERROR - Text contains a NUL character";

bool ContainsNul(std::u16string_view text);

// Signed decimal: no leading zeros, no grouping, "-" only when negative.
std::u16string Decimal(std::int64_t number);
// A platform status or count, read as the signed 32-bit value it is.
std::u16string SignedDecimal(netapi::DWORD value);

// "ERROR - " + text.
std::u16string Precondition(std::u16string_view text);
// "ERROR - " + action + " (error #" + status + ")".
std::u16string FailedCall(std::u16string_view action,
                          netapi::NET_API_STATUS status);
// "ERROR " + status + " in parameter " + index + " when adding " + kind +
// " " + name; kind is "group" or "user".
std::u16string FailedAdd(netapi::NET_API_STATUS status, netapi::DWORD parm_err,
                         std::u16string_view kind, std::u16string_view name);
// "ERROR " + status + " enumerating " + kind + " " + read + " of " + total.
std::u16string FailedEnumeration(netapi::NET_API_STATUS status,
                                 netapi::DWORD entries_read,
                                 netapi::DWORD total_entries,
                                 std::u16string_view kind);

}  // namespace corvane::common
