#include "automation/error.h"

#include <cstdio>

namespace corvane::automation {
namespace {

std::string Describe(HRESULT hresult) {
  char text[32];
  std::snprintf(text, sizeof text, "automation error 0x%08X",
                static_cast<unsigned>(hresult));
  return text;
}

}  // namespace

AutomationError::AutomationError(HRESULT hresult, std::u16string source,
                                 std::u16string description)
    : std::runtime_error(Describe(hresult)),
      hresult_(hresult),
      source_(std::move(source)),
      description_(std::move(description)) {}

}  // namespace corvane::automation
