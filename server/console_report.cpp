#include "server/console_report.h"

#include <cwchar>
#include <string>

namespace corvane::server {
namespace {

// The console attached for the reports, freed with its owner.
class ParentConsole {
 public:
  ParentConsole() : attached_(AttachConsole(ATTACH_PARENT_PROCESS) != 0) {}
  ~ParentConsole() {
    if (attached_) FreeConsole();
  }
  ParentConsole(const ParentConsole&) = delete;
  ParentConsole& operator=(const ParentConsole&) = delete;

  bool attached() const { return attached_; }

 private:
  bool attached_;
};

bool WriteTo(HANDLE output, const std::wstring& text) {
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(output, &mode)) {
    return WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()),
                         &written, nullptr) != 0;
  }
  // A file or a pipe receives UTF-8.
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                       static_cast<int>(text.size()), nullptr,
                                       0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                      bytes.data(), size, nullptr, nullptr);
  return WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()),
                   &written, nullptr) != 0;
}

}  // namespace

void ReportLine(const std::wstring& line) {
  const std::wstring text = line + L"\r\n";
  if (WriteTo(GetStdHandle(STD_OUTPUT_HANDLE), text)) return;
  static ParentConsole console;
  if (!console.attached()) return;
  const HANDLE output = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  WriteTo(output, text);
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
}

std::wstring DescribeFailure(HRESULT hresult) {
  wchar_t* message = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hresult), 0,
      reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = length ? std::wstring(message, length) : L"";
  LocalFree(message);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' ||
                           text.back() == L' ')) {
    text.pop_back();
  }
  wchar_t code[16];
  swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hresult));
  return (text.empty() ? L"" : text + L" ") + L"(" + code + L")";
}

}  // namespace corvane::server
