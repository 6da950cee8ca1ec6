// The names an Enumerate call left in its array. The component marks an
// empty listing with the single name "None", which is also a valid account
// or group name; the caller says whether such an account or group exists.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "automation/string_array.h"

namespace corvane::cli {

std::vector<std::string> NamesOf(const automation::StringArray& list,
                                 const std::function<bool()>& none_is_real);

}  // namespace corvane::cli
