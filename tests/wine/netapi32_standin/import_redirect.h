// Points one imported function of a loaded module at another function, by
// rewriting the module's import address table.
#pragma once

#include <windows.h>

namespace corvane::wine_test {

// True when `module` imports `function` by name from `dll` (compared
// without regard to case) and the import now calls `replacement`.
bool RedirectImport(HMODULE module, const char* dll, const char* function,
                    void* replacement);

}  // namespace corvane::wine_test
