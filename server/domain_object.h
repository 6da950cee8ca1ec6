// The COM object of an NTDomain: the _NTDomain function table.
#pragma once

#include "server/dual_object.h"

namespace corvane::server {

class DomainObject final : public DualObject<::_NTDomain> {
 public:
  DomainObject(automation::ObjectRef domain, WrapperRegistry& registry);

  HRESULT STDMETHODCALLTYPE get_eLogging(eLogLevel* ret) override;
  HRESULT STDMETHODCALLTYPE put_eLogging(eLogLevel* value) override;
  HRESULT STDMETHODCALLTYPE get_sLastError(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE get_Users(::NTUser** ret) override;
  HRESULT STDMETHODCALLTYPE get_Groups(::NTGroup** ret) override;
  HRESULT STDMETHODCALLTYPE put_sDomain(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_sDomain(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE get_sDC(BSTR* ret) override;
};

}  // namespace corvane::server
