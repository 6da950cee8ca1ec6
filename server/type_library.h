// The type library embedded in the server's own executable (resource
// 1 TYPELIB): the type infos that IDispatch delegates to, and what
// /RegServer registers for the marshaller.
#pragma once

#include <string>

#include "server/com_ptr.h"
#include "server/windows_headers.h"

namespace corvane::server {

// The full path of the running executable.
std::wstring ModulePath();

class TypeLibrary {
 public:
  // Raises the loader's HRESULT when the library cannot be read.
  explicit TypeLibrary(const std::wstring& module_path);

  ITypeLib* get() const { return library_.get(); }
  // The type info of one of the three dual interfaces (borrowed), or null.
  ITypeInfo* InfoOf(const IID& iid) const;

 private:
  ComPtr<ITypeLib> library_;
  ComPtr<ITypeInfo> domain_;
  ComPtr<ITypeInfo> group_;
  ComPtr<ITypeInfo> user_;
};

}  // namespace corvane::server
