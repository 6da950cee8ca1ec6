// /RegServer and /UnregServer: the class keys (LocalServer32, ProgID,
// TypeLib), the programmatic identifier, the type library (so that the
// dual interfaces are marshalled from it) and the application event
// source. Unregistering removes exactly what registering wrote.
#pragma once

#include <string>

#include "server/type_library.h"

namespace corvane::server {

// Both raise the HRESULT of the first step that fails.
void RegisterServer(const std::wstring& module_path,
                    const TypeLibrary& library);
void UnregisterServer();

}  // namespace corvane::server
