#include "server/registration.h"

#include <cwchar>
#include <string_view>

#include "contract/contract.h"
#include "server/event_source.h"
#include "server/windows_headers.h"

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
  // Opens the key, creating it (and its parents) when asked to.
  RegistryKey(HKEY parent, const std::wstring& path, bool create = true) {
    constexpr REGSAM kAccess = KEY_READ | KEY_WRITE | DELETE;
    Check(create ? RegCreateKeyExW(parent, path.c_str(), 0, nullptr,
                                   REG_OPTION_NON_VOLATILE, kAccess, nullptr,
                                   &key_, nullptr)
                 : RegOpenKeyExW(parent, path.c_str(), 0, kAccess, &key_));
  }
  ~RegistryKey() { RegCloseKey(key_); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  HKEY get() const { return key_; }

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

// The root that a scope's class registrations live under.
RegistryKey ClassesOf(Scope scope, bool create) {
  return RegistryKey(
      scope == Scope::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
      L"Software\\Classes", create);
}

std::wstring ClassKey(const contract::Guid& clsid) {
  return L"CLSID\\" + Wide(clsid.text);
}

std::wstring InterfaceKey(const contract::Interface& declared) {
  return L"Interface\\" + Wide(declared.iid.text);
}

std::wstring VersionText() {
  const auto& library = contract::kLibrary;
  return std::to_wstring(library.major_version) + L"." +
         std::to_wstring(library.minor_version);
}

std::wstring LibraryKey() {
  return L"TypeLib\\" + Wide(contract::kLibrary.libid.text);
}

std::wstring HexText(unsigned value) {
  wchar_t text[16];
  swprintf(text, 16, L"%x", value);
  return text;
}

const contract::Interface* const kInterfaces[] = {&contract::kNTDomainInterface,
                                                  &contract::kNTGroupInterface,
                                                  &contract::kNTUserInterface};

void RegisterClassKeys(HKEY classes, const contract::Guid& clsid,
                       std::string_view name,
                       const std::wstring& server_command) {
  RegistryKey(classes, ClassKey(clsid)).SetText(L"", L"Corvane " + Wide(name));
  RegistryKey(classes, ClassKey(clsid) + L"\\LocalServer32")
      .SetText(L"", server_command);
}

// The keys the system's RegisterTypeLib writes, under the scope's own root
// (the system call writes only for all users): the library's location and
// each dual interface, marshalled from the library.
void RegisterTypeLibrary(HKEY classes, const std::wstring& module_path) {
  const auto& library = contract::kLibrary;
  const std::wstring version_key = LibraryKey() + L"\\" + VersionText();
  RegistryKey(classes, version_key).SetText(L"", Wide(library.help));
  RegistryKey(classes, version_key + L"\\FLAGS").SetText(L"", L"0");
  RegistryKey(classes, version_key + L"\\HELPDIR")
      .SetText(L"", module_path.substr(0, module_path.find_last_of(L'\\')));
  RegistryKey(classes, version_key + L"\\" + HexText(library.lcid) + L"\\win64")
      .SetText(L"", module_path);
  // Also entered as language-neutral: some type-library marshallers (Wine's)
  // look only there when they build the proxies of the dual interfaces.
  RegistryKey(classes, version_key + L"\\0\\win64").SetText(L"", module_path);

  constexpr wchar_t kTypeLibraryMarshaller[] =
      L"{00020424-0000-0000-C000-000000000046}";
  for (const contract::Interface* declared : kInterfaces) {
    const std::wstring key = InterfaceKey(*declared);
    RegistryKey(classes, key).SetText(L"", Wide(declared->name));
    RegistryKey(classes, key + L"\\ProxyStubClsid")
        .SetText(L"", kTypeLibraryMarshaller);
    RegistryKey(classes, key + L"\\ProxyStubClsid32")
        .SetText(L"", kTypeLibraryMarshaller);
    RegistryKey library_reference(classes, key + L"\\TypeLib");
    library_reference.SetText(L"", Wide(library.libid.text));
    library_reference.SetText(L"Version", VersionText());
  }
}

std::wstring EventSourceKey() {
  return kEventLogKey + Wide(std::u16string_view(kEventSource));
}

void WriteRegistration(HKEY classes, const std::wstring& module_path,
                       Scope scope) {
  const auto& domain = contract::kNTDomainClass;
  const std::wstring command = L"\"" + module_path + L"\"";
  RegisterClassKeys(classes, domain.clsid, domain.name, command);
  // Asking for the child classes reaches the server, whose factory says
  // they cannot be created on their own.
  RegisterClassKeys(classes, contract::kNTGroupClass.clsid,
                    contract::kNTGroupClass.name, command);
  RegisterClassKeys(classes, contract::kNTUserClass.clsid,
                    contract::kNTUserClass.name, command);

  const std::wstring prog_id = Wide(domain.prog_id);
  RegistryKey(classes, ClassKey(domain.clsid) + L"\\ProgID")
      .SetText(L"", prog_id);
  RegistryKey(classes, ClassKey(domain.clsid) + L"\\TypeLib")
      .SetText(L"", Wide(contract::kLibrary.libid.text));
  RegistryKey(classes, ClassKey(domain.clsid) + L"\\Version")
      .SetText(L"", VersionText());
  RegistryKey(classes, prog_id).SetText(L"", L"Corvane " + Wide(domain.name));
  RegistryKey(classes, prog_id + L"\\CLSID")
      .SetText(L"", Wide(domain.clsid.text));

  RegisterTypeLibrary(classes, module_path);

  // The event log's sources are the machine's: a registration for one user
  // leaves the events without their message table.
  if (scope == Scope::kMachine) {
    RegistryKey source(HKEY_LOCAL_MACHINE, EventSourceKey());
    source.SetText(L"EventMessageFile", module_path, REG_EXPAND_SZ);
    source.SetNumber(L"TypesSupported", EVENTLOG_INFORMATION_TYPE);
  }
}

}  // namespace

void RegisterServer(const std::wstring& module_path, Scope scope) {
  const RegistryKey classes = ClassesOf(scope, true);
  try {
    WriteRegistration(classes.get(), module_path, scope);
  } catch (const automation::AutomationError&) {
    try {
      UnregisterServer(scope);
    } catch (const automation::AutomationError&) {
      // The first failure is the one to report.
    }
    throw;
  }
}

void UnregisterServer(Scope scope) {
  const RegistryKey classes = ClassesOf(scope, false);
  const auto& domain = contract::kNTDomainClass;
  DeleteTree(classes.get(), ClassKey(domain.clsid));
  DeleteTree(classes.get(), ClassKey(contract::kNTGroupClass.clsid));
  DeleteTree(classes.get(), ClassKey(contract::kNTUserClass.clsid));
  DeleteTree(classes.get(), Wide(domain.prog_id));
  for (const contract::Interface* declared : kInterfaces) {
    DeleteTree(classes.get(), InterfaceKey(*declared));
  }
  DeleteTree(classes.get(), LibraryKey());
  if (scope == Scope::kMachine) {
    DeleteTree(HKEY_LOCAL_MACHINE, EventSourceKey());
  }
}

}  // namespace corvane::server
