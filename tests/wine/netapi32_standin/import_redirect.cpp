#include "tests/wine/netapi32_standin/import_redirect.h"

#include <cstring>

namespace corvane::wine_test {

bool RedirectImport(HMODULE module, const char* dll, const char* function,
                    void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return false;
  for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
           base + imports.VirtualAddress);
       library->Name != 0; ++library) {
    if (_stricmp(reinterpret_cast<const char*>(base + library->Name), dll) !=
        0) {
      continue;
    }
    // The names stay in the original thunks; the loader has written the
    // addresses over the first ones.
    const auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(
        base + library->OriginalFirstThunk);
    auto* slot =
        reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; name->u1.AddressOfData != 0; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(
          base + name->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) !=
          0) {
        continue;
      }
      DWORD protection = 0;
      if (!VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function),
                          PAGE_READWRITE, &protection)) {
        return false;
      }
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection,
                     &protection);
      return true;
    }
  }
  return false;
}

}  // namespace corvane::wine_test
