// Automation strings at the COM boundary: BSTR in, std::u16string inside.
#pragma once

#include <string>
#include <string_view>

#include "automation/secret.h"
#include "server/windows_headers.h"

namespace corvane::server {

// Owns one BSTR.
class Bstr {
 public:
  // Raises E_OUTOFMEMORY when the string cannot be allocated.
  explicit Bstr(std::u16string_view text);
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return value_; }
  BSTR Detach() {
    BSTR value = value_;
    value_ = nullptr;
    return value;
  }

 private:
  BSTR value_;
};

// The whole string, embedded NULs included; a null BSTR is the empty string.
std::u16string FromBstr(BSTR text);
// The same for a password: straight into a secret, with no plain copy.
automation::SecretRef SecretFromBstr(BSTR text);

}  // namespace corvane::server
