// The class objects the server registers. NTDomain's creates domains;
// NTGroup and NTUser have class objects only so that a client asking for
// them learns that they exist only as children of a domain
// (CLASS_E_CLASSNOTAVAILABLE) rather than that nothing is registered.
#pragma once

#include <atomic>

#include "server/wrapper_registry.h"

namespace corvane::server {

class ClassFactory final : public IClassFactory {
 public:
  // A factory of domains on `environment`, or (`creatable` false) one that
  // refuses every request.
  ClassFactory(WrapperRegistry& wrappers,
               const common::Environment& environment, bool creatable);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // The platform check's error reaches the client as the HRESULT with
  // its source and description in the error info.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                           void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  WrapperRegistry& wrappers_;
  common::Environment environment_;
  bool creatable_;
  std::atomic<ULONG> references_{1};
};

}  // namespace corvane::server
