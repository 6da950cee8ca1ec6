#include "server/registration.h"

#include <string_view>

#include "contract/contract.h"
#include "server/event_source.h"

namespace corvane::server {
namespace {

constexpr wchar_t kEventLogKey[] =
    L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

void Check(LSTATUS status) {
  if (status != ERROR_SUCCESS) {
    throw automation::AutomationError(HRESULT_FROM_WIN32(status));
  }
}

std::wstring Wide(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

// One open registry key, closed with its owner.
class RegistryKey {
 public:
  RegistryKey(HKEY parent, const std::wstring& path) {
    Check(RegCreateKeyExW(parent, path.c_str(), 0, nullptr,
                          REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key_,
                          nullptr));
  }
  ~RegistryKey() { RegCloseKey(key_); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // An empty name sets the key's default value.
  void SetText(const wchar_t* name, const std::wstring& value,
               DWORD type = REG_SZ) {
    Check(RegSetValueExW(
        key_, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
  }
  void SetNumber(const wchar_t* name, DWORD value) {
    Check(RegSetValueExW(key_, name, 0, REG_DWORD,
                         reinterpret_cast<const BYTE*>(&value), sizeof(value)));
  }

 private:
  HKEY key_ = nullptr;
};

void DeleteTree(HKEY parent, const std::wstring& path) {
  const LSTATUS status = RegDeleteTreeW(parent, path.c_str());
  if (status != ERROR_FILE_NOT_FOUND) Check(status);
}

std::wstring ClassKey(const automation::Guid& clsid) {
  return L"CLSID\\" + Wide(clsid.text);
}

void RegisterClassKeys(const automation::Guid& clsid, std::string_view name,
                       const std::wstring& server_command) {
  RegistryKey(HKEY_CLASSES_ROOT, ClassKey(clsid))
      .SetText(L"", L"Corvane " + Wide(name));
  RegistryKey(HKEY_CLASSES_ROOT, ClassKey(clsid) + L"\\LocalServer32")
      .SetText(L"", server_command);
}

std::wstring LibraryVersionKey() {
  const auto& library = contract::kLibrary;
  return L"TypeLib\\" + Wide(library.libid.text) + L"\\" +
         std::to_wstring(library.major_version) + L"." +
         std::to_wstring(library.minor_version);
}

}  // namespace

void RegisterServer(const std::wstring& module_path,
                    const TypeLibrary& library) {
  const auto& domain = contract::kNTDomainClass;
  const std::wstring command = L"\"" + module_path + L"\"";
  RegisterClassKeys(domain.clsid, domain.name, command);
  // Asking for the child classes reaches the server, whose factory says
  // they cannot be created on their own.
  RegisterClassKeys(contract::kNTGroupClass.clsid, contract::kNTGroupClass.name,
                    command);
  RegisterClassKeys(contract::kNTUserClass.clsid, contract::kNTUserClass.name,
                    command);

  const std::wstring prog_id = Wide(domain.prog_id);
  RegistryKey(HKEY_CLASSES_ROOT, ClassKey(domain.clsid) + L"\\ProgID")
      .SetText(L"", prog_id);
  RegistryKey(HKEY_CLASSES_ROOT, ClassKey(domain.clsid) + L"\\TypeLib")
      .SetText(L"", Wide(contract::kLibrary.libid.text));
  RegistryKey(HKEY_CLASSES_ROOT, ClassKey(domain.clsid) + L"\\Version")
      .SetText(L"", std::to_wstring(contract::kLibrary.major_version) + L"." +
                        std::to_wstring(contract::kLibrary.minor_version));
  RegistryKey(HKEY_CLASSES_ROOT, prog_id)
      .SetText(L"", L"Corvane " + Wide(domain.name));
  RegistryKey(HKEY_CLASSES_ROOT, prog_id + L"\\CLSID")
      .SetText(L"", Wide(domain.clsid.text));

  std::wstring path = module_path;
  const HRESULT registered =
      RegisterTypeLib(library.get(), path.data(), nullptr);
  if (FAILED(registered)) throw automation::AutomationError(registered);
  // The library is also entered as language-neutral: some type-library
  // marshallers (Wine's) look only there when they build the proxies of
  // the dual interfaces.
  RegistryKey(HKEY_CLASSES_ROOT, LibraryVersionKey() + L"\\0\\win64")
      .SetText(L"", module_path);

  RegistryKey source(HKEY_LOCAL_MACHINE,
                     kEventLogKey + Wide(std::u16string_view(kEventSource)));
  source.SetText(L"EventMessageFile", module_path, REG_EXPAND_SZ);
  source.SetNumber(L"TypesSupported", EVENTLOG_INFORMATION_TYPE);
}

void UnregisterServer() {
  const auto& domain = contract::kNTDomainClass;
  DeleteTree(HKEY_CLASSES_ROOT, ClassKey(domain.clsid));
  DeleteTree(HKEY_CLASSES_ROOT, ClassKey(contract::kNTGroupClass.clsid));
  DeleteTree(HKEY_CLASSES_ROOT, ClassKey(contract::kNTUserClass.clsid));
  DeleteTree(HKEY_CLASSES_ROOT, Wide(domain.prog_id));

  DeleteTree(HKEY_CLASSES_ROOT, LibraryVersionKey() + L"\\0");
  const HRESULT unregistered = UnRegisterTypeLib(
      LIBID_Corvane, static_cast<WORD>(contract::kLibrary.major_version),
      static_cast<WORD>(contract::kLibrary.minor_version),
      static_cast<LCID>(contract::kLibrary.lcid), SYS_WIN64);
  if (FAILED(unregistered) && unregistered != TYPE_E_REGISTRYACCESS &&
      unregistered != TYPE_E_LIBNOTREGISTERED) {
    throw automation::AutomationError(unregistered);
  }
  // What the library's registration leaves behind (help directory, flags).
  DeleteTree(HKEY_CLASSES_ROOT,
             L"TypeLib\\" + Wide(contract::kLibrary.libid.text));
  DeleteTree(HKEY_LOCAL_MACHINE,
             kEventLogKey + Wide(std::u16string_view(kEventSource)));
}

}  // namespace corvane::server
