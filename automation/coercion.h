// Argument coercion by the automation rules (what VariantChangeType and the
// conversions of a Basic client do for the types the component takes). A
// value that cannot be converted raises DISP_E_TYPEMISMATCH; one out of
// range raises DISP_E_OVERFLOW.
#pragma once

#include <cstdint>
#include <string>

#include "automation/variant.h"

namespace corvane::automation {

// Empty gives "", numbers their decimal text, booleans "True" / "False".
// A secret is refused (DISP_E_TYPEMISMATCH): it is never copied into plain
// text.
std::u16string ToString(const Variant& value);
// A parameter that takes a secret: a secret is shared, never copied; any
// other value is converted as ToString converts it, straight into a new
// secret.
SecretRef ToSecret(const Variant& value);
// Empty gives false; numbers are true when non-zero; strings "True",
// "False" or a number.
VariantBool ToBoolean(const Variant& value);
// Empty gives 0; booleans -1 / 0; strings holding a number are rounded to
// even as automation does.
std::int32_t ToInt32(const Variant& value);

// Comparison with the empty string as a Basic client makes it: an empty
// variant equals "", null equals nothing, other values compare by text.
bool EqualsEmptyString(const Variant& value);

// The text of a boolean as automation writes it.
std::u16string BooleanText(VariantBool value);

}  // namespace corvane::automation
