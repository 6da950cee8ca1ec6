#include "server/bstr.h"

namespace corvane::server {

Bstr::Bstr(std::u16string_view text)
    : value_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                               static_cast<UINT>(text.size()))) {
  if (!value_) throw automation::AutomationError(E_OUTOFMEMORY);
}

std::u16string FromBstr(BSTR text) {
  if (!text) return {};
  return std::u16string(reinterpret_cast<const char16_t*>(text),
                        SysStringLen(text));
}

automation::SecretRef SecretFromBstr(BSTR text) {
  if (!text) return automation::Share(automation::Secret());
  return automation::Share(automation::Secret(std::u16string_view(
      reinterpret_cast<const char16_t*>(text), SysStringLen(text))));
}

}  // namespace corvane::server
