#include "automation/coercion.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

#include "automation/error.h"
#include "automation/text.h"

namespace corvane::automation {
namespace {

[[noreturn]] void Mismatch() { throw AutomationError(DISP_E_TYPEMISMATCH); }

std::u16string Decimal(std::int64_t number) {
  const std::string text = std::to_string(number);
  return std::u16string(text.begin(), text.end());
}

std::u16string_view Trim(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// A number written in the text, or nothing when the text is not a number.
std::optional<double> ParseNumber(std::u16string_view text) {
  text = Trim(text);
  if (text.empty()) return std::nullopt;
  std::string ascii;
  for (char16_t c : text) {
    const bool allowed = (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' ||
                         c == u'.' || c == u'e' || c == u'E';
    if (!allowed) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  char* end = nullptr;
  const double number = std::strtod(ascii.c_str(), &end);
  if (end != ascii.c_str() + ascii.size() || !std::isfinite(number)) {
    return std::nullopt;
  }
  return number;
}

std::int32_t RoundToInt32(double number) {
  const double rounded = std::nearbyint(number);  // ties to even
  if (rounded < std::numeric_limits<std::int32_t>::min() ||
      rounded > std::numeric_limits<std::int32_t>::max()) {
    throw AutomationError(DISP_E_OVERFLOW);
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::u16string BooleanText(VariantBool value) {
  return value ? u"True" : u"False";
}

std::u16string ToString(const Variant& value) {
  if (value.Is<Empty>()) return {};
  if (value.Is<std::u16string>()) return value.As<std::u16string>();
  if (value.Is<std::int16_t>()) return Decimal(value.As<std::int16_t>());
  if (value.Is<std::int32_t>()) return Decimal(value.As<std::int32_t>());
  if (value.Is<Boolean>()) return BooleanText(value.As<Boolean>().value);
  // A secret never becomes plain text: only a secret parameter takes it.
  Mismatch();
}

SecretRef ToSecret(const Variant& value) {
  if (value.Is<SecretRef>() && value.As<SecretRef>()) {
    return value.As<SecretRef>();
  }
  if (value.Is<std::u16string>()) {
    return Share(Secret(value.As<std::u16string>()));
  }
  // Empty, numbers and booleans: their text holds nothing of a caller's
  // password, and is short enough to stay inside the string object.
  return Share(Secret(ToString(value)));
}

VariantBool ToBoolean(const Variant& value) {
  if (value.Is<Empty>()) return VARIANT_FALSE;
  if (value.Is<Boolean>()) return value.As<Boolean>().value;
  if (value.Is<std::int16_t>()) return ToVariantBool(value.As<std::int16_t>());
  if (value.Is<std::int32_t>()) return ToVariantBool(value.As<std::int32_t>());
  if (value.Is<std::u16string>()) {
    const std::u16string_view text = Trim(value.As<std::u16string>());
    if (EqualsIgnoringAsciiCase(text, "true")) return VARIANT_TRUE;
    if (EqualsIgnoringAsciiCase(text, "false")) return VARIANT_FALSE;
    if (const auto number = ParseNumber(text)) {
      return ToVariantBool(*number != 0);
    }
  }
  Mismatch();
}

std::int32_t ToInt32(const Variant& value) {
  if (value.Is<Empty>()) return 0;
  if (value.Is<std::int32_t>()) return value.As<std::int32_t>();
  if (value.Is<std::int16_t>()) return value.As<std::int16_t>();
  if (value.Is<Boolean>()) return value.As<Boolean>().value;
  if (value.Is<std::u16string>()) {
    if (const auto number = ParseNumber(value.As<std::u16string>())) {
      return RoundToInt32(*number);
    }
  }
  Mismatch();
}

bool EqualsEmptyString(const Variant& value) {
  if (value.Is<Empty>()) return true;
  if (value.Is<Null>()) return false;
  return ToString(value).empty();
}

}  // namespace corvane::automation
