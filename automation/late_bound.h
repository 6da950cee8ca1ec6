// The component as a script sees it: members reached by name through the
// dispatch layer, with UTF-8 text at the caller's edge. The command line
// and the account tasks drive the classes only through these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/dispatch.h"
#include "automation/string_array.h"
#include "automation/variant.h"

namespace corvane::automation {

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
StringArrayRef Enumerate(const ObjectRef& object);

std::string LastError(const ObjectRef& object);
// "SUCCESS", or empty on an object that has not acted yet.
bool IsSuccess(std::string_view last_error);

}  // namespace corvane::automation
