// The COM object of an NTUser: the NTUser function table.
#pragma once

#include "server/dual_object.h"

namespace corvane::server {

class UserObject final : public DualObject<::NTUser> {
 public:
  UserObject(automation::ObjectRef user, WrapperRegistry& registry);

  HRESULT STDMETHODCALLTYPE get_ePrivilege(ePriv* ret) override;
  HRESULT STDMETHODCALLTYPE UnlockAccount() override;
  HRESULT STDMETHODCALLTYPE get_bLockedOut(VARIANT_BOOL* ret) override;
  HRESULT STDMETHODCALLTYPE put_bDisabled(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_bDisabled(VARIANT_BOOL* ret) override;
  HRESULT STDMETHODCALLTYPE put_sFullName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_sFullName(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE put_sScriptPath(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_sScriptPath(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE put_sComment(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_sComment(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE put_sHomeDir(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_sHomeDir(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE put_sPassword(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_sLastError(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE get_oParent(IDispatch** ret) override;
  HRESULT STDMETHODCALLTYPE put_sUserName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_sUserName(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE get_sSID(BSTR* ret) override;
  HRESULT STDMETHODCALLTYPE Delete(VARIANT_BOOL* ret) override;
  HRESULT STDMETHODCALLTYPE Add(BSTR* sUName, VARIANT* sPWD, VARIANT* sHomeDir,
                                VARIANT* sComment, VARIANT* sScript,
                                VARIANT* sFName, VARIANT* ePrivLevel,
                                VARIANT* bDis, VARIANT_BOOL* ret) override;
  HRESULT STDMETHODCALLTYPE Enumerate(SAFEARRAY** TheList) override;
};

}  // namespace corvane::server
