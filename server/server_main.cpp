// corvane.exe: the out-of-process automation server.
//   corvane.exe /RegServer            registers the classes, type library
//                                     and event source for all users
//                                     (administrator rights)
//   corvane.exe /UnregServer          removes them
//   corvane.exe /RegServerPerUser     registers the classes and type library
//                                     for the current user only
//   corvane.exe /UnregServerPerUser   removes them
//   corvane.exe -Embedding            started by COM for a client (also the
//                                     default with no arguments)
// The server never shows a window; registering says what it did on the
// console it was started from. Its exit code is 0 on success, otherwise
// the HRESULT of what failed (E_INVALIDARG for an unknown option).
#include <cwctype>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "contract/contract.h"
#include "server/class_factory.h"
#include "server/class_registrations.h"
#include "server/com_error.h"
#include "server/console_report.h"
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

struct Command {
  Mode mode;
  Scope scope = Scope::kMachine;
};

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

Command CommandOf(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return {Mode::kServe};
  struct Option {
    std::wstring_view name;
    Command command;
  };
  static constexpr Option kOptions[] = {
      {L"regserver", {Mode::kRegister, Scope::kMachine}},
      {L"unregserver", {Mode::kUnregister, Scope::kMachine}},
      {L"regserverperuser", {Mode::kRegister, Scope::kUser}},
      {L"unregserverperuser", {Mode::kUnregister, Scope::kUser}},
      {L"embedding", {Mode::kServe}},
      {L"automation", {Mode::kServe}}};
  const std::wstring& first = arguments.front();
  if (first.size() < 2 || (first[0] != L'/' && first[0] != L'-')) {
    return {Mode::kUnknown};
  }
  const std::wstring name = Lower(first.substr(1));
  for (const Option& option : kOptions) {
    if (option.name == name) return option.command;
  }
  return {Mode::kUnknown};
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
  const auto add = [&](const contract::Guid& clsid, bool creatable) {
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

std::wstring ScopeText(Scope scope) {
  return scope == Scope::kMachine ? L"for all users" : L"for the current user";
}

// Registers or unregisters, and says what was done or what failed.
HRESULT Register(const Command& command) {
  const bool registering = command.mode == Mode::kRegister;
  std::wstring done;
  HRESULT result = S_OK;
  try {
    const std::wstring module = ModulePath();
    if (registering) {
      // The library must load before anything points to it.
      TypeLibrary{module};
      RegisterServer(module, command.scope);
      done = L"Corvane: registered " + module + L" " + ScopeText(command.scope);
    } else {
      UnregisterServer(command.scope);
      done = L"Corvane: unregistered " + ScopeText(command.scope);
    }
  } catch (const automation::AutomationError& error) {
    result = error.hresult();
  } catch (const std::exception&) {
    result = E_UNEXPECTED;
  }
  if (SUCCEEDED(result)) {
    ReportLine(done + L".");
    return S_OK;
  }
  ReportLine(L"Corvane: " +
             std::wstring(registering ? L"registration " : L"unregistration ") +
             ScopeText(command.scope) + L" failed: " + DescribeFailure(result));
  if (result == E_ACCESSDENIED && command.scope == Scope::kMachine) {
    ReportLine(registering ? L"Run it from an elevated prompt, or register "
                             L"for the current user only with "
                             L"/RegServerPerUser."
                           : L"Run it from an elevated prompt; a registration "
                             L"for the current user is removed with "
                             L"/UnregServerPerUser.");
  }
  return result;
}

int Run() {
  const std::vector<std::wstring> arguments = Arguments();
  const Command command = CommandOf(arguments);
  if (command.mode == Mode::kUnknown) {
    ReportLine(L"Corvane: unknown option " + arguments.front() +
               L". Use /RegServer, /UnregServer, /RegServerPerUser or "
               L"/UnregServerPerUser.");
    return E_INVALIDARG;
  }
  const Apartment apartment;
  if (FAILED(apartment.result())) return apartment.result();
  if (command.mode != Mode::kServe) return Register(command);
  try {
    Serve();
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
