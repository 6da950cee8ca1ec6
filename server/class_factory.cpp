#include "server/class_factory.h"

#include "domain/nt_domain.h"
#include "server/com_error.h"

namespace corvane::server {

ClassFactory::ClassFactory(WrapperRegistry& wrappers,
                           const common::Environment& environment,
                           bool creatable)
    : wrappers_(wrappers), environment_(environment), creatable_(creatable) {}

HRESULT ClassFactory::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  *out = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG ClassFactory::AddRef() { return ++references_; }

ULONG ClassFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  wrappers_.lifetime().NoteRequest();
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!creatable_) return CLASS_E_CLASSNOTAVAILABLE;
  return Guarded([&] {
    const std::shared_ptr<corvane::NTDomain> domain =
        corvane::NTDomain::Create(environment_);
    const ComPtr<IDispatch> wrapper = wrappers_.Wrap(domain->ClientReference());
    const HRESULT found = wrapper->QueryInterface(iid, out);
    if (FAILED(found)) throw automation::AutomationError(found);
  });
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    wrappers_.lifetime().AddReference();
  } else {
    wrappers_.lifetime().ReleaseReference();
  }
  return S_OK;
}

}  // namespace corvane::server
