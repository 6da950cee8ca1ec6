// The server's class objects as registered with COM. Registration is
// suspended until every class is registered, then resumed at once, so a
// client never meets a half-registered server; revocation is undone by the
// owner's destruction on every path, since a class left registered by a
// dead process blocks its activation.
#pragma once

#include <vector>

#include "server/com_ptr.h"
#include "server/windows_headers.h"

namespace corvane::server {

class ClassRegistrations {
 public:
  struct Entry {
    CLSID clsid;
    ComPtr<IClassFactory> factory;
  };

  explicit ClassRegistrations(std::vector<Entry> entries)
      : entries_(std::move(entries)) {}
  ~ClassRegistrations() { Revoke(); }
  ClassRegistrations(const ClassRegistrations&) = delete;
  ClassRegistrations& operator=(const ClassRegistrations&) = delete;

  // Raises the HRESULT of a registration that fails (after revoking the
  // ones that succeeded).
  void Register();
  void Revoke();

 private:
  std::vector<Entry> entries_;
  std::vector<DWORD> cookies_;
};

}  // namespace corvane::server
