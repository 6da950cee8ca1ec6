// The COM object of an NTGroup: the NTGroup function table.
#pragma once

#include "server/dual_object.h"

namespace corvane::server {

class GroupObject final : public DualObject<::NTGroup> {
 public:
  GroupObject(automation::ObjectRef group, WrapperRegistry& registry);

  HRESULT STDMETHODCALLTYPE put_sComment(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_sComment(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE get_sLastError(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE get_oParent(::_NTDomain** ret) override;
  HRESULT STDMETHODCALLTYPE get_Users(::NTUser** ret) override;
  HRESULT STDMETHODCALLTYPE put_sGroupName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_sGroupName(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE Delete(VARIANT* sGroupName,
                                   VARIANT_BOOL* ret) override;
  HRESULT STDMETHODCALLTYPE Add(BSTR* sGroupName, BSTR* sComment,
                                VARIANT_BOOL* ret) override;
  HRESULT STDMETHODCALLTYPE Enumerate(SAFEARRAY** TheList) override;
};

}  // namespace corvane::server
