// Text crosses the seam here: the layer speaks UTF-16, libnetapi UTF-8.
// Both directions are strict; text that is not valid in its encoding is
// refused rather than altered.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "automation/text.h"
#include "netapi/types.h"

namespace corvane::netapi::samba {

// NUL-terminated UTF-16 to UTF-8. nullopt when the text holds an unpaired
// surrogate (the caller answers ERROR_NO_UNICODE_TRANSLATION).
std::optional<std::string> ToUtf8(std::u16string_view text);
std::optional<std::string> ToUtf8(LPCWSTR text);

std::optional<std::u16string> ToUtf16(std::string_view text);
std::optional<std::u16string> ToUtf16(const char* text);

using automation::EqualsIgnoringAsciiCase;

}  // namespace corvane::netapi::samba

namespace corvane::netapi::samba {

// A text argument for libnetapi: 0, or ERROR_NO_UNICODE_TRANSLATION.
// A null pointer gives the empty string.
NET_API_STATUS ToUtf8Argument(LPCWSTR text, std::string& out);
// The same for a password, which stays a secret.
NET_API_STATUS ToUtf8Argument(LPCWSTR text, automation::SecretUtf8& out);

}  // namespace corvane::netapi::samba
