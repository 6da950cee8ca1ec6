#include "server/type_library.h"

#include <vector>

namespace corvane::server {
namespace {

void Check(HRESULT hresult) {
  if (FAILED(hresult)) throw automation::AutomationError(hresult);
}

ComPtr<ITypeInfo> InfoOfGuid(ITypeLib* library, const IID& iid) {
  ComPtr<ITypeInfo> info;
  Check(library->GetTypeInfoOfGuid(iid, info.Receive()));
  return info;
}

}  // namespace

std::wstring ModulePath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(),
                                            static_cast<DWORD>(path.size()));
    if (length == 0) {
      throw automation::AutomationError(HRESULT_FROM_WIN32(GetLastError()));
    }
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);
  }
}

TypeLibrary::TypeLibrary(const std::wstring& module_path) {
  Check(LoadTypeLibEx(module_path.c_str(), REGKIND_NONE, library_.Receive()));
  domain_ = InfoOfGuid(library_.get(), IID__NTDomain);
  group_ = InfoOfGuid(library_.get(), IID_NTGroup);
  user_ = InfoOfGuid(library_.get(), IID_NTUser);
}

ITypeInfo* TypeLibrary::InfoOf(const IID& iid) const {
  if (iid == IID__NTDomain) return domain_.get();
  if (iid == IID_NTGroup) return group_.get();
  if (iid == IID_NTUser) return user_.get();
  return nullptr;
}

}  // namespace corvane::server
