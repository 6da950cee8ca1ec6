// Reads a compiled type library through ITypeLib / ITypeInfo, as clients
// see it, and compares every entry, member, dispatch id, flag, parameter
// and help string with the contract tables. Counts into the client's tally.
#pragma once

#include "server/windows_headers.h"

namespace corvane::wine_test {

void CheckTypeLibrary(ITypeLib* library);

}  // namespace corvane::wine_test
