#include "server/class_registrations.h"

namespace corvane::server {

void ClassRegistrations::Register() {
  Revoke();
  for (const Entry& entry : entries_) {
    DWORD cookie = 0;
    const HRESULT registered = CoRegisterClassObject(
        entry.clsid, entry.factory.get(), CLSCTX_LOCAL_SERVER,
        REGCLS_MULTIPLEUSE | REGCLS_SUSPENDED, &cookie);
    if (FAILED(registered)) {
      Revoke();
      throw automation::AutomationError(registered);
    }
    cookies_.push_back(cookie);
  }
  const HRESULT resumed = CoResumeClassObjects();
  if (FAILED(resumed)) {
    Revoke();
    throw automation::AutomationError(resumed);
  }
}

void ClassRegistrations::Revoke() {
  for (const DWORD cookie : cookies_) CoRevokeClassObject(cookie);
  cookies_.clear();
}

}  // namespace corvane::server
