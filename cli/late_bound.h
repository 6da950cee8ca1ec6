// The component as a script sees it: members reached by name through the
// dispatch layer, with UTF-8 at the command line's edge.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/dispatch.h"
#include "automation/string_array.h"
#include "automation/variant.h"

namespace corvane::cli {

using automation::ObjectRef;
using automation::Variant;

// Command-line text as an automation string; UsageError when it is not
// UTF-8.
std::u16string Wide(std::string_view utf8);
std::string Narrow(std::u16string_view text);

std::string GetText(const ObjectRef& object, std::u16string_view member);
bool GetFlag(const ObjectRef& object, std::u16string_view member);
std::int32_t GetNumber(const ObjectRef& object, std::u16string_view member);
// Null when the member returns no object.
ObjectRef GetObject(const ObjectRef& object, std::u16string_view member);
void PutValue(const ObjectRef& object, std::u16string_view member,
              Variant value);
Variant CallMethod(const ObjectRef& object, std::u16string_view member,
                   std::vector<Variant> args = {});
// Calls the boolean method and returns its result.
bool CallTest(const ObjectRef& object, std::u16string_view member,
              std::vector<Variant> args = {});
// Calls Enumerate with a new array and returns the array.
automation::StringArrayRef Enumerate(const ObjectRef& object);

std::string LastError(const ObjectRef& object);
// "SUCCESS", or empty on an object that has not acted yet.
bool IsSuccess(std::string_view last_error);

}  // namespace corvane::cli
