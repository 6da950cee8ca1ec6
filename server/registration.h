// /RegServer and /UnregServer: the class keys (LocalServer32, ProgID,
// TypeLib), the programmatic identifier, the type library and its dual
// interfaces (so that they are marshalled from it) and, for all users, the
// application event source. Unregistering removes exactly what registering
// wrote.
#pragma once

#include <string>

namespace corvane::server {

enum class Scope {
  kMachine,  // HKEY_LOCAL_MACHINE\Software\Classes, needs administrator rights
  kUser,     // HKEY_CURRENT_USER\Software\Classes, for the current user only
};

// Both raise the HRESULT of the first step that fails. A registration that
// fails removes what it had written.
void RegisterServer(const std::wstring& module_path, Scope scope);
void UnregisterServer(Scope scope);

}  // namespace corvane::server
