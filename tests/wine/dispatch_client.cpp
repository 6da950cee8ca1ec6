// A typed and late-bound C++ client of the out-of-process server, run
// under Wine by run-wine-tests.sh against the test server (demo domain
// CORVANE). It checks what scripts cannot: every member's dispatch id by
// name, the typed SAFEARRAY(BSTR)* Enumerate, the refusal of the child
// classes, and that the server process ends after the last release.
// Prints "N passed, N failed".
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "contract/contract.h"
#include "tests/wine/check_tally.h"

// Platform headers after the portable ones (their macros would rewrite
// portable names).
#include <windows.h>
// These need <windows.h> first.
#include <oleauto.h>
#include <tlhelp32.h>

#include "corvane_typelib.h"

namespace {

using corvane::wine_test::Check;

void CheckResult(const std::string& name, HRESULT actual, HRESULT expected) {
  if (actual != expected) {
    std::printf("  got 0x%08lX, expected 0x%08lX\n",
                static_cast<unsigned long>(actual),
                static_cast<unsigned long>(expected));
  }
  Check(name, actual == expected);
}

template <typename Interface>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  void Reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }
  Interface** Receive() {
    Reset();
    return &pointer_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  Interface* operator->() const { return pointer_; }
  Interface* get() const { return pointer_; }

 private:
  Interface* pointer_ = nullptr;
};

class Text {
 public:
  explicit Text(const wchar_t* text) : value_(SysAllocString(text)) {}
  Text() = default;
  Text(const Text&) = delete;
  Text& operator=(const Text&) = delete;
  ~Text() { SysFreeString(value_); }
  BSTR* Receive() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  BSTR get() const { return value_; }
  std::wstring str() const {
    return value_ ? std::wstring(value_, SysStringLen(value_)) : L"";
  }

 private:
  BSTR value_ = nullptr;
};

class SafeArray {
 public:
  SafeArray() = default;
  SafeArray(const SafeArray&) = delete;
  SafeArray& operator=(const SafeArray&) = delete;
  ~SafeArray() {
    if (array_) SafeArrayDestroy(array_);
  }
  SAFEARRAY** address() { return &array_; }
  SAFEARRAY* get() const { return array_; }

  std::vector<std::wstring> Strings() const {
    std::vector<std::wstring> strings;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array_, 1, &lower);
    SafeArrayGetUBound(array_, 1, &upper);
    for (LONG i = lower; i <= upper; ++i) {
      Text element;
      SafeArrayGetElement(array_, &i, element.Receive());
      strings.push_back(element.str());
    }
    return strings;
  }

 private:
  SAFEARRAY* array_ = nullptr;
};

std::wstring Wide(std::string_view text) {
  return std::wstring(text.begin(), text.end());
}

bool Has(const std::vector<std::wstring>& list, const wchar_t* name) {
  for (const auto& element : list) {
    if (element == name) return true;
  }
  return false;
}

// Server processes of the test server now running.
int ServerProcesses() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, L"corvane_simulated.exe") == 0) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

bool WaitForServers(int expected, DWORD timeout_ms) {
  for (DWORD waited = 0;; waited += 100) {
    if (ServerProcesses() == expected) return true;
    if (waited >= timeout_ms) return false;
    Sleep(100);
  }
}

// Every member of `contract` resolves by name to its dispatch id, and every
// property get is reachable by that id.
void CheckMembers(IDispatch* object,
                  const corvane::contract::Interface& contract) {
  const std::string interface_name(contract.name);
  for (const auto& member : contract.members) {
    std::wstring name = Wide(member.name);
    LPOLESTR names[] = {name.data()};
    DISPID id = 0;
    const HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id);
    Check(interface_name + "." + std::string(member.name) + " has dispatch id",
          SUCCEEDED(found) && id == member.dispid);
    if (member.kind != corvane::contract::Kind::kGet) continue;
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    const HRESULT got =
        object->Invoke(member.dispid, IID_NULL, 0x409, DISPATCH_PROPERTYGET,
                       &none, &result, nullptr, nullptr);
    Check(interface_name + "." + std::string(member.name) + " get by id",
          SUCCEEDED(got));
    VariantClear(&result);
  }
  std::wstring unknown = L"NoSuchMember";
  LPOLESTR names[] = {unknown.data()};
  DISPID id = 0;
  CheckResult(interface_name + " refuses an unknown name",
              object->GetIDsOfNames(IID_NULL, names, 1, 0x409, &id),
              DISP_E_UNKNOWNNAME);
}

void Run() {
  Check("no test server before the first client", WaitForServers(0, 15000));

  for (const auto* child :
       {&corvane::contract::kNTGroupClass, &corvane::contract::kNTUserClass}) {
    CLSID clsid{};
    CLSIDFromString(Wide(child->clsid.text).c_str(), &clsid);
    Ref<IUnknown> refused;
    CheckResult(std::string(child->name) + " cannot be created on its own",
                CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER,
                                 IID_IUnknown, refused.ReceiveVoid()),
                CLASS_E_CLASSNOTAVAILABLE);
  }

  Ref<_NTDomain> domain;
  const HRESULT created =
      CoCreateInstance(CLSID_NTDomain, nullptr, CLSCTX_LOCAL_SERVER,
                       IID__NTDomain, domain.ReceiveVoid());
  CheckResult("NTDomain created with its typed interface", created, S_OK);
  if (FAILED(created)) return;
  Check("one server process serves the client", ServerProcesses() == 1);

  Ref<ISupportErrorInfo> error_info;
  Check("domain supports error info",
        SUCCEEDED(domain->QueryInterface(IID_ISupportErrorInfo,
                                         error_info.ReceiveVoid())) &&
            error_info->InterfaceSupportsErrorInfo(IID__NTDomain) == S_OK);

  Text name(L"CORVANE");
  Check("sDomain set", SUCCEEDED(domain->put_sDomain(name.get())));
  Text controller;
  domain->get_sDC(controller.Receive());
  Check("sDC typed", controller.str() == L"\\\\DC1");
  eLogLevel level = LogNone;
  domain->get_eLogging(&level);
  Check("eLogging typed", level == LogAddDel);

  Ref<NTGroup> group;
  Ref<NTUser> user;
  Check("Groups typed", SUCCEEDED(domain->get_Groups(group.Receive())));
  Check("Users typed", SUCCEEDED(domain->get_Users(user.Receive())));
  Ref<NTGroup> group_again;
  domain->get_Groups(group_again.Receive());
  Check("Groups twice gives the same object", group.get() == group_again.get());

  CheckMembers(domain.get(), corvane::contract::kNTDomainInterface);
  CheckMembers(group.get(), corvane::contract::kNTGroupInterface);
  CheckMembers(user.get(), corvane::contract::kNTUserInterface);

  // sPassword is write-only: no get by id.
  DISPPARAMS none{};
  VARIANT result;
  VariantInit(&result);
  CheckResult("sPassword cannot be read",
              user->Invoke(0x68030004, IID_NULL, 0x409, DISPATCH_PROPERTYGET,
                           &none, &result, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);

  // Typed Enumerate: SAFEARRAY(BSTR), lower bound 0, element 0 empty.
  SafeArray groups;
  Check("typed group Enumerate", SUCCEEDED(group->Enumerate(groups.address())));
  VARTYPE type = VT_EMPTY;
  LONG lower = -1;
  Check("typed list is a SAFEARRAY of BSTR",
        groups.get() && SUCCEEDED(SafeArrayGetVartype(groups.get(), &type)) &&
            type == VT_BSTR);
  if (groups.get()) SafeArrayGetLBound(groups.get(), 1, &lower);
  Check("typed list lower bound 0", lower == 0);
  if (groups.get()) {
    const auto list = groups.Strings();
    Check("typed group list", list.size() == 4 && list[0].empty() &&
                                  Has(list, L"Sales") &&
                                  Has(list, L"Domain Users"));
  }

  SafeArray users;
  Check("typed user Enumerate", SUCCEEDED(user->Enumerate(users.address())));
  if (users.get()) {
    const auto list = users.Strings();
    Check("typed user list",
          Has(list, L"alice") && Has(list, L"Guest") && !Has(list, L"WS01$"));
  }

  // Late-bound Enumerate with a typed by-reference array.
  SafeArray late;
  VARIANT argument;
  V_VT(&argument) = VT_BYREF | VT_ARRAY | VT_BSTR;
  V_ARRAYREF(&argument) = late.address();
  DISPPARAMS one{&argument, nullptr, 1, 0};
  CheckResult("late-bound Enumerate with SAFEARRAY(BSTR)*",
              group->Invoke(0x60030007, IID_NULL, 0x409, DISPATCH_METHOD, &one,
                            nullptr, nullptr, nullptr),
              S_OK);
  Check("late-bound list", late.get() && late.Strings().size() == 4);

  // A group's user object: Add with only sUName, optionals missing.
  Text sales(L"Sales");
  group->put_sGroupName(sales.get());
  Ref<NTUser> members;
  Check("group Users",
        SUCCEEDED(group->get_Users(members.Receive())) && members.get());
  VARIANT missing;
  V_VT(&missing) = VT_ERROR;
  V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
  VARIANT m[7];
  for (VARIANT& v : m) v = missing;
  VARIANT_BOOL added = VARIANT_FALSE;
  Text alice(L"alice");
  BSTR alice_name = alice.get();
  Check("typed group Add with missing optionals",
        SUCCEEDED(members->Add(&alice_name, &m[0], &m[1], &m[2], &m[3], &m[4],
                               &m[5], &m[6], &added)) &&
            added == VARIANT_TRUE);
  VARIANT_BOOL removed = VARIANT_FALSE;
  Text alice_again(L"alice");
  members->put_sUserName(alice_again.get());
  Check("typed member removed",
        SUCCEEDED(members->Delete(&removed)) && removed == VARIANT_TRUE);

  // Releasing every reference ends the server process.
  members.Reset();
  group_again.Reset();
  group.Reset();
  user.Reset();
  error_info.Reset();
  domain.Reset();
  Check("server exits after the last release", WaitForServers(0, 15000));
}

// Against a server whose platform is not Windows NT: creation fails with
// the component's error and no object. (Wine does not carry the error info
// of a failed creation across processes; server_unit_test.exe checks its
// source and description in-process.)
void RunPlatformCheck() {
  Ref<_NTDomain> domain;
  CheckResult("creation fails the platform check",
              CoCreateInstance(CLSID_NTDomain, nullptr, CLSCTX_LOCAL_SERVER,
                               IID__NTDomain, domain.ReceiveVoid()),
              static_cast<HRESULT>(0x80040001));
  Check("no object", domain.get() == nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::printf("CoInitializeEx failed\n0 passed, 1 failed\n");
    return 1;
  }
  if (argc > 1 && std::string(argv[1]) == "platform-check") {
    RunPlatformCheck();
  } else {
    Run();
  }
  CoUninitialize();
  return corvane::wine_test::Summary();
}
