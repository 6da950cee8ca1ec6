// The automation variant as the component meets it: empty, a missing
// optional parameter, null, 16/32-bit integers, booleans, strings, objects
// and string arrays. Objects and arrays are held by reference, as a VARIANT
// holds an IDispatch* or a SAFEARRAY*. A password travels as a reference to
// a secret (automation/secret.h), so no copy of the variant copies it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "automation/secret.h"

namespace corvane::automation {

class Dispatchable;
class StringArray;
using ObjectRef = std::shared_ptr<Dispatchable>;
using StringArrayRef = std::shared_ptr<StringArray>;

// Automation boolean: 16 bits, true = -1, false = 0.
using VariantBool = std::int16_t;
inline constexpr VariantBool VARIANT_TRUE = -1;
inline constexpr VariantBool VARIANT_FALSE = 0;
inline constexpr VariantBool ToVariantBool(bool value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}

struct Empty {
  bool operator==(const Empty&) const = default;
};
// An optional parameter the caller left out (VT_ERROR DISP_E_PARAMNOTFOUND).
struct Missing {
  bool operator==(const Missing&) const = default;
};
struct Null {
  bool operator==(const Null&) const = default;
};
struct Boolean {
  VariantBool value;
  bool operator==(const Boolean&) const = default;
};

class Variant {
 public:
  using Value =
      std::variant<Empty, Missing, Null, std::int16_t, std::int32_t, Boolean,
                   std::u16string, ObjectRef, StringArrayRef, SecretRef>;

  Variant() = default;
  Variant(Empty) {}
  Variant(Missing value) : value_(value) {}
  Variant(Null value) : value_(value) {}
  Variant(std::int16_t value) : value_(value) {}
  Variant(std::int32_t value) : value_(value) {}
  Variant(Boolean value) : value_(value) {}
  Variant(std::u16string value) : value_(std::move(value)) {}
  Variant(const char16_t* value) : value_(std::u16string(value)) {}
  Variant(ObjectRef value) : value_(std::move(value)) {}
  Variant(StringArrayRef value) : value_(std::move(value)) {}
  Variant(SecretRef value) : value_(std::move(value)) {}

  static Variant FromBool(bool value) { return Boolean{ToVariantBool(value)}; }

  template <typename T>
  bool Is() const {
    return std::holds_alternative<T>(value_);
  }
  template <typename T>
  const T& As() const {
    return std::get<T>(value_);
  }
  template <typename T>
  T& As() {
    return std::get<T>(value_);
  }
  const Value& value() const { return value_; }

 private:
  Value value_;
};

}  // namespace corvane::automation
