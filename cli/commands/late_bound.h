// The component's members by name (automation/late_bound.h), with the
// command line's own edge: its text is UTF-8, and text that is not is a
// usage error.
#pragma once

#include <string>
#include <string_view>

#include "automation/late_bound.h"

namespace corvane::cli {

using automation::CallMethod;
using automation::CallTest;
using automation::Enumerate;
using automation::GetFlag;
using automation::GetNumber;
using automation::GetObject;
using automation::GetText;
using automation::IsSuccess;
using automation::LastError;
using automation::ObjectRef;
using automation::PutValue;
using automation::Variant;

// Command-line text as an automation string; UsageError when it is not
// UTF-8.
std::u16string Wide(std::string_view utf8);
std::string Narrow(std::u16string_view text);

}  // namespace corvane::cli
