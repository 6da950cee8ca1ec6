// The COM server's own code, in-process under Wine: what the out-of-process
// clients cannot observe there (the error info of a failed creation does
// not cross processes in Wine) and the conversions at the boundary. Loads
// the type library from corvane_simulated.exe next to this program.
// Prints "N passed, N failed".
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "automation/text.h"
#include "common/event_log.h"
#include "contract/contract.h"
#include "netapi/simulated/demo_domain.h"
#include "netapi/simulated/simulated_controller.h"
#include "server/class_factory.h"
#include "server/com_error.h"
#include "server/registration.h"
#include "server/type_library.h"
#include "server/variant_conversion.h"
#include "server/wrapper_registry.h"
#include "tests/wine/check_tally.h"
#include "tests/wine/type_library_check.h"

namespace {

using corvane::server::ComPtr;

using corvane::wine_test::Check;

std::wstring Sibling(const wchar_t* name) {
  std::wstring path = corvane::server::ModulePath();
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::wstring Text(BSTR text) {
  return text ? std::wstring(text, SysStringLen(text)) : L"";
}

bool Logged(const corvane::common::MemoryEventSink& events,
            std::u16string_view text) {
  for (const auto& entry : events.entries()) {
    if (entry.find(text) != std::u16string::npos) return true;
  }
  return false;
}

// One server's worth of objects on a fresh simulated controller.
struct Server {
  explicit Server(const corvane::server::TypeLibrary& library)
      : wrappers(library, lifetime) {
    corvane::netapi::simulated::SeedDemoDomain(controller);
  }
  ComPtr<IClassFactory> Factory(bool creatable) {
    return ComPtr<IClassFactory>::Adopt(new corvane::server::ClassFactory(
        wrappers, {controller, events}, creatable));
  }

  corvane::netapi::simulated::SimulatedController controller;
  corvane::common::MemoryEventSink events;
  corvane::server::ServerLifetime lifetime{{}};
  corvane::server::WrapperRegistry wrappers;
};

void PlatformCheck(const corvane::server::TypeLibrary& library) {
  Server server(library);
  server.controller.set_platform_id(1);
  ComPtr<IDispatch> domain;
  const HRESULT created = server.Factory(true)->CreateInstance(
      nullptr, IID_IDispatch, reinterpret_cast<void**>(domain.Receive()));
  Check("platform check: HRESULT 0x80040001",
        created == static_cast<HRESULT>(0x80040001));
  Check("platform check: no object", !domain);
  ComPtr<IErrorInfo> info;
  Check("platform check: error info set",
        GetErrorInfo(0, info.Receive()) == S_OK && info);
  if (!info) return;
  BSTR source = nullptr;
  BSTR description = nullptr;
  info->GetSource(&source);
  info->GetDescription(&description);
  Check("platform check: source", Text(source) == L"Corvane Initialize");
  Check("platform check: description",
        Text(description) ==
            L"Corvane requires Windows NT 3.51 (Workstation or Server) or "
            L"higher");
  SysFreeString(source);
  SysFreeString(description);
  Check("platform check: nothing logged", server.events.entries().empty());
}

void ChildClassesRefused(const corvane::server::TypeLibrary& library) {
  Server server(library);
  ComPtr<IUnknown> object;
  Check(
      "child class refused",
      server.Factory(false)->CreateInstance(
          nullptr, IID_IUnknown, reinterpret_cast<void**>(object.Receive())) ==
          CLASS_E_CLASSNOTAVAILABLE);
}

HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args,
             UINT count, VARIANT* result, EXCEPINFO* excepinfo = nullptr) {
  std::wstring member = name;
  LPOLESTR names[] = {member.data()};
  DISPID id = 0;
  const HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id);
  if (FAILED(found)) return found;
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{args, flags == DISPATCH_PROPERTYPUT ? &put : nullptr, count,
                    flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
  return object->Invoke(id, IID_NULL, 0x409, flags, &params, result, excepinfo,
                        nullptr);
}

void ObjectsAndLists(const corvane::server::TypeLibrary& library) {
  Server server(library);
  {
    ComPtr<IDispatch> domain;
    Check("domain created", SUCCEEDED(server.Factory(true)->CreateInstance(
                                nullptr, IID_IDispatch,
                                reinterpret_cast<void**>(domain.Receive()))));
    if (!domain) return;
    Check("start message written", Logged(server.events, u"initializing..."));

    corvane::server::ScopedVariant name;
    V_VT(name.get()) = VT_BSTR;
    V_BSTR(name.get()) = SysAllocString(L"CORVANE");
    Check("sDomain put",
          SUCCEEDED(Call(domain.get(), L"sDomain", DISPATCH_PROPERTYPUT,
                         name.get(), 1, nullptr)));
    corvane::server::ScopedVariant first, second;
    Call(domain.get(), L"Groups", DISPATCH_PROPERTYGET, nullptr, 0,
         first.get());
    Call(domain.get(), L"Groups", DISPATCH_PROPERTYGET, nullptr, 0,
         second.get());
    Check("Groups twice: one COM object",
          V_VT(first.get()) == VT_DISPATCH &&
              V_DISPATCH(first.get()) == V_DISPATCH(second.get()));
    IDispatch* groups = V_DISPATCH(first.get());

    // A script's by-reference variant receives an array of variant strings.
    corvane::server::ScopedVariant list;
    VARIANT by_reference;
    V_VT(&by_reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&by_reference) = list.get();
    Check("script Enumerate",
          SUCCEEDED(Call(groups, L"Enumerate", DISPATCH_METHOD, &by_reference,
                         1, nullptr)));
    LONG lower = -1, upper = -1;
    if (V_VT(list.get()) == (VT_ARRAY | VT_VARIANT)) {
      SafeArrayGetLBound(V_ARRAY(list.get()), 1, &lower);
      SafeArrayGetUBound(V_ARRAY(list.get()), 1, &upper);
    }
    Check("script list: variants, bounds 0 to 3", lower == 0 && upper == 3);

    // A fixed-size array cannot be re-dimensioned: refused, left alone.
    SAFEARRAYBOUND bound{2, 0};
    SAFEARRAY* fixed = SafeArrayCreate(VT_BSTR, 1, &bound);
    fixed->fFeatures |= FADF_FIXEDSIZE;
    SAFEARRAY* passed_array = fixed;
    ComPtr<::NTGroup> typed;
    groups->QueryInterface(IID_NTGroup,
                           reinterpret_cast<void**>(typed.Receive()));
    Check("fixed-size list refused",
          typed && typed->Enumerate(&passed_array) == E_INVALIDARG &&
              passed_array == fixed);
    fixed->fFeatures &= ~FADF_FIXEDSIZE;
    SafeArrayDestroy(fixed);

    // A member's error reaches a late-bound caller as its HRESULT, or as
    // DISP_E_EXCEPTION carrying it (what the type library's Invoke makes
    // of a failed call).
    corvane::server::ScopedVariant users;
    Call(domain.get(), L"Users", DISPATCH_PROPERTYGET, nullptr, 0, users.get());
    VARIANT add_name;
    V_VT(&add_name) = VT_BSTR;
    V_BSTR(&add_name) = SysAllocString(L"zed");
    EXCEPINFO excepinfo{};
    const HRESULT added = Call(V_DISPATCH(users.get()), L"Add", DISPATCH_METHOD,
                               &add_name, 1, nullptr, &excepinfo);
    Check("domain Add with only a name: type mismatch",
          added == DISP_E_TYPEMISMATCH ||
              (added == DISP_E_EXCEPTION &&
               excepinfo.scode == DISP_E_TYPEMISMATCH));
    SysFreeString(excepinfo.bstrSource);
    SysFreeString(excepinfo.bstrDescription);
    SysFreeString(excepinfo.bstrHelpFile);
    VariantClear(&add_name);
  }
  Check("every COM object released: end message written",
        Logged(server.events, u"terminating..."));
}

// A typed caller's list after the 32,768th user overflowed: the error, and
// the first 32,767 names in the caller's array.
void TypedListOverflow(const corvane::server::TypeLibrary& library) {
  Server server(library);
  corvane::netapi::simulated::Directory& domain = *server.controller.FindServer(
      corvane::netapi::simulated::kDemoController);
  for (int number = 1; domain.users().size() < 32768 + 2; ++number) {
    corvane::netapi::simulated::Account account;
    account.name = u"user" + corvane::automation::Widen(std::to_string(number));
    domain.AddUser(account);  // the demo domain has two accounts not listed
  }
  ComPtr<::_NTDomain> typed_domain;
  server.Factory(true)->CreateInstance(
      nullptr, IID__NTDomain, reinterpret_cast<void**>(typed_domain.Receive()));
  ComPtr<::NTUser> users;
  if (typed_domain) {
    BSTR name = SysAllocString(L"CORVANE");
    typed_domain->put_sDomain(name);
    SysFreeString(name);
    typed_domain->get_Users(users.Receive());
  }
  SAFEARRAY* list = nullptr;
  const HRESULT listed = users ? users->Enumerate(&list) : E_POINTER;
  LONG upper = -1;
  BSTR last = nullptr;
  if (list && SUCCEEDED(SafeArrayGetUBound(list, 1, &upper))) {
    SafeArrayGetElement(list, &upper, &last);
  }
  Check("typed list overflow: error, the first 32,767 names kept",
        listed == DISP_E_OVERFLOW && upper == 32767 &&
            Text(last) == L"user32762");
  SysFreeString(last);
  if (list) SafeArrayDestroy(list);
}

// The executable's resources: the type library, entry by entry, and the
// version.
void Resources(const corvane::server::TypeLibrary& library) {
  corvane::wine_test::CheckTypeLibrary(library.get());

  const std::wstring path = Sibling(L"corvane_simulated.exe");
  DWORD unused = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &unused);
  std::vector<BYTE> block(size);
  Check("version resource present",
        size > 0 && GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
  if (size == 0) return;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  Check("file version 2.6.0.2",
        VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed),
                       &length) &&
            fixed->dwFileVersionMS == MAKELONG(6, 2) &&
            fixed->dwFileVersionLS == MAKELONG(2, 0));
  wchar_t* text = nullptr;
  Check("file version text 2.06.0002",
        VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileVersion",
                       reinterpret_cast<void**>(&text), &length) &&
            std::wstring(text) == L"2.06.0002");
}

std::wstring ClassesKey(const corvane::contract::Guid& clsid) {
  return L"Software\\Classes\\CLSID\\" +
         std::wstring(clsid.text.begin(), clsid.text.end());
}

// Holds, as a volatile key, the place of the third class's per-user
// registration: a volatile key takes no lasting subkey, so registering for
// the current user fails there for as long as the Wine session lasts.
std::wstring BlockUserRegistration() {
  const std::wstring blocked =
      ClassesKey(corvane::contract::kNTUserClass.clsid);
  // Only the class's own key is volatile: the others must register first.
  for (const DWORD option : {REG_OPTION_NON_VOLATILE, REG_OPTION_VOLATILE}) {
    const std::wstring path = option == REG_OPTION_VOLATILE
                                  ? blocked
                                  : blocked.substr(0, blocked.rfind(L'\\'));
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, option,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegCloseKey(key);
  }
  return blocked;
}

// A registration that fails part way removes what it had written.
void FailedRegistrationRemoved() {
  const std::wstring blocked = BlockUserRegistration();
  HRESULT result = S_OK;
  try {
    corvane::server::RegisterServer(L"C:\\corvane\\corvane.exe",
                                    corvane::server::Scope::kUser);
  } catch (const corvane::automation::AutomationError& error) {
    result = error.hresult();
  }
  Check("failed registration: the system's code",
        result == HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE));
  HKEY left = nullptr;
  Check(
      "failed registration: what it wrote is removed",
      RegOpenKeyExW(HKEY_CURRENT_USER,
                    ClassesKey(corvane::contract::kNTDomainClass.clsid).c_str(),
                    0, KEY_READ, &left) == ERROR_FILE_NOT_FOUND);
  if (left) RegCloseKey(left);
  RegDeleteTreeW(HKEY_CURRENT_USER, blocked.c_str());
  Check("once unblocked, registering succeeds", [] {
    try {
      corvane::server::RegisterServer(L"C:\\corvane\\corvane.exe",
                                      corvane::server::Scope::kUser);
      corvane::server::UnregisterServer(corvane::server::Scope::kUser);
      return true;
    } catch (const corvane::automation::AutomationError&) {
      return false;
    }
  }());
}

void Conversions() {
  VARIANT missing;
  V_VT(&missing) = VT_ERROR;
  V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
  Check(
      "omitted optional is Missing",
      corvane::server::FromVariant(missing).Is<corvane::automation::Missing>());

  SHORT value = 7;
  VARIANT by_reference;
  V_VT(&by_reference) = VT_BYREF | VT_I2;
  V_I2REF(&by_reference) = &value;
  const auto followed = corvane::server::FromVariant(by_reference);
  Check("by-reference value followed",
        followed.Is<std::int16_t>() && followed.As<std::int16_t>() == 7);

  VARIANT real;
  V_VT(&real) = VT_R8;
  V_R8(&real) = 2.5;
  const auto text = corvane::server::FromVariant(real);
  Check("double arrives as its text",
        text.Is<std::u16string>() && text.As<std::u16string>() == u"2.5");

  corvane::automation::StringArray array;
  array.Redim(0, 2);
  array.Set(1, u"one");
  array.Set(2, std::u16string(u"t\0o", 3));
  corvane::server::ScopedSafeArray written =
      corvane::server::WriteStringArray(array);
  const auto read = corvane::server::ReadStringArray(written.get());
  Check("string array round trip (embedded NUL kept)",
        corvane::server::SameStringArray(array, read));
}

}  // namespace

// With "block-user-registration", only blocks the per-user registration
// (for the release check's failure case) and exits.
int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"block-user-registration") {
    BlockUserRegistration();
    return 0;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("CoInitializeEx failed\n0 passed, 1 failed\n");
    return 1;
  }
  try {
    const corvane::server::TypeLibrary library(
        Sibling(L"corvane_simulated.exe"));
    Resources(library);
    PlatformCheck(library);
    ChildClassesRefused(library);
    ObjectsAndLists(library);
    TypedListOverflow(library);
    Conversions();
    FailedRegistrationRemoved();
  } catch (const corvane::automation::AutomationError& error) {
    std::printf("FAIL error 0x%08lX\n",
                static_cast<unsigned long>(error.hresult()));
    ++corvane::wine_test::failed;
  }
  CoUninitialize();
  return corvane::wine_test::Summary();
}
