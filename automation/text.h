// Automation strings are UTF-16 and length-prefixed: std::u16string holds
// them, NUL characters included. These convert at the edges where text is
// UTF-8 (command line, Samba, test output).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane::automation {

std::string ToUtf8(std::u16string_view text);

// Invalid UTF-8 gives no value: it is refused, never guessed at.
std::optional<std::u16string> FromUtf8(std::string_view text);

// For literals and text known to be valid; invalid bytes become U+FFFD.
std::u16string Widen(std::string_view text);

}  // namespace corvane::automation
