// Automation strings are UTF-16 and length-prefixed: std::u16string holds
// them, NUL characters included. These convert at the edges where text is
// UTF-8 (command line, Samba, test output).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/secret.h"

namespace corvane::automation {

std::string ToUtf8(std::u16string_view text);

// As ToUtf8, but text holding an unpaired surrogate gives no value: it is
// refused rather than altered.
std::optional<std::string> ToUtf8Strict(std::u16string_view text);

// Invalid UTF-8 gives no value: it is refused, never guessed at.
std::optional<std::u16string> FromUtf8(std::string_view text);

// ToUtf8Strict and FromUtf8 for secrets: the result is a secret, and no
// unwiped copy is made on the way.
std::optional<SecretUtf8> ToUtf8Secret(std::u16string_view text);
std::optional<Secret> FromUtf8Secret(std::string_view text);

// The text (UTF-8) on one line: each control character (below 0x20, and
// 0x7F) and each byte that is not UTF-8 becomes \xHH, and each character
// that moves or reorders what a terminal shows (C1 controls, bidirectional
// marks, embeddings, overrides and isolates, U+2028 and U+2029) becomes
// \uHHHH, so that no text can start a line, move the cursor or disguise
// what follows. Longer than `max_bytes`, it is cut at a character boundary
// and ends with an ellipsis.
std::string EscapeControls(std::string_view text,
                           std::size_t max_bytes = std::string::npos);

// For literals and text known to be valid; invalid bytes become U+FFFD.
std::u16string Widen(std::string_view text);

// Equal but for the letter case of ASCII letters; other characters must
// match exactly (in the UTF-16 form, a non-ASCII character never matches).
// Member names, ProgIDs, keywords and host names compare so.
// `text` with its ASCII letters in lower case; other bytes unchanged.
std::string AsciiLower(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool EqualsIgnoringAsciiCase(std::u16string_view a, std::string_view b);

}  // namespace corvane::automation
