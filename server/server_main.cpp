// corvane.exe: the out-of-process automation server.
//   corvane.exe /RegServer     registers the classes, type library and
//                              event source
//   corvane.exe /UnregServer   removes them
//   corvane.exe -Embedding     started by COM for a client (also the
//                              default with no arguments)
// The server never shows a window; its exit code is 0 on success,
// otherwise the HRESULT of what failed.
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "contract/contract.h"
#include "server/class_factory.h"
#include "server/class_registrations.h"
#include "server/com_error.h"
#include "server/event_source.h"
#include "server/registration.h"
#include "server/server_lifetime.h"
#include "server/server_platform.h"
#include "server/type_library.h"
#include "server/wrapper_registry.h"

namespace corvane::server {
namespace {

// The objects live in a single-threaded apartment on the main thread.
class Apartment {
 public:
  Apartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~Apartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
};

enum class Mode { kServe, kRegister, kUnregister, kUnknown };

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

Mode ModeOf(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return Mode::kServe;
  const std::wstring& first = arguments.front();
  if (first.size() < 2 || (first[0] != L'/' && first[0] != L'-')) {
    return Mode::kUnknown;
  }
  const std::wstring name = Lower(first.substr(1));
  if (name == L"regserver") return Mode::kRegister;
  if (name == L"unregserver") return Mode::kUnregister;
  if (name == L"embedding" || name == L"automation") return Mode::kServe;
  return Mode::kUnknown;
}

std::vector<std::wstring> Arguments() {
  int count = 0;
  const std::unique_ptr<LPWSTR, decltype(&LocalFree)> argv(
      CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
  std::vector<std::wstring> arguments;
  if (!argv) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(argv.get()[i]);
  return arguments;
}

void Serve() {
  const std::unique_ptr<ServerPlatform> platform = MakeServerPlatform();
  const TypeLibrary library(ModulePath());
  ServerLifetime lifetime(ServerLifetime::Timing{});
  WrapperRegistry wrappers(library, lifetime);

  const common::Environment environment = platform->environment();
  std::vector<ClassRegistrations::Entry> entries;
  const auto add = [&](const automation::Guid& clsid, bool creatable) {
    ClassRegistrations::Entry entry;
    const std::wstring text(clsid.text.begin(), clsid.text.end());
    const HRESULT parsed = CLSIDFromString(text.c_str(), &entry.clsid);
    if (FAILED(parsed)) throw automation::AutomationError(parsed);
    entry.factory = ComPtr<IClassFactory>::Adopt(
        new ClassFactory(wrappers, environment, creatable));
    entries.push_back(std::move(entry));
  };
  add(contract::kNTDomainClass.clsid, true);
  add(contract::kNTGroupClass.clsid, false);
  add(contract::kNTUserClass.clsid, false);

  ClassRegistrations classes(std::move(entries));
  classes.Register();
  lifetime.Run(classes);
}

int Run() {
  const Mode mode = ModeOf(Arguments());
  if (mode == Mode::kUnknown) return E_INVALIDARG;
  const Apartment apartment;
  if (FAILED(apartment.result())) return apartment.result();
  try {
    switch (mode) {
      case Mode::kRegister:
        RegisterServer(ModulePath(), TypeLibrary(ModulePath()));
        break;
      case Mode::kUnregister:
        UnregisterServer();
        break;
      default:
        Serve();
        break;
    }
  } catch (const automation::AutomationError& error) {
    return error.hresult();
  } catch (const std::exception&) {
    return E_UNEXPECTED;
  }
  return 0;
}

}  // namespace
}  // namespace corvane::server

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return corvane::server::Run();
}
