#include "netapi/samba/text.h"

#include "automation/text.h"

namespace corvane::netapi::samba {

std::optional<std::string> ToUtf8(std::u16string_view text) {
  return automation::ToUtf8Strict(text);
}

std::optional<std::string> ToUtf8(LPCWSTR text) {
  if (text == nullptr) return std::string();
  return ToUtf8(std::u16string_view(text));
}

std::optional<std::u16string> ToUtf16(std::string_view text) {
  return automation::FromUtf8(text);
}

std::optional<std::u16string> ToUtf16(const char* text) {
  if (text == nullptr) return std::u16string();
  return ToUtf16(std::string_view(text));
}

NET_API_STATUS ToUtf8Argument(LPCWSTR text, std::string& out) {
  std::optional<std::string> converted = ToUtf8(text);
  if (!converted) return ERROR_NO_UNICODE_TRANSLATION;
  out = std::move(*converted);
  return NERR_Success;
}

NET_API_STATUS ToUtf8Argument(LPCWSTR text, automation::SecretUtf8& out) {
  std::optional<automation::SecretUtf8> converted = automation::ToUtf8Secret(
      text == nullptr ? std::u16string_view() : std::u16string_view(text));
  if (!converted) return ERROR_NO_UNICODE_TRANSLATION;
  out = std::move(*converted);
  return NERR_Success;
}

}  // namespace corvane::netapi::samba
