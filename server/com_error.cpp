#include "server/com_error.h"

#include "server/bstr.h"
#include "server/com_ptr.h"

namespace corvane::server {

HRESULT RaiseErrorInfo(const automation::AutomationError& error) {
  const HRESULT hresult = error.hresult();
  if (error.source().empty() && error.description().empty()) {
    SetErrorInfo(0, nullptr);
    return hresult;
  }
  ComPtr<ICreateErrorInfo> created;
  if (FAILED(CreateErrorInfo(created.Receive()))) return hresult;
  try {
    created->SetGUID(GUID_NULL);
    created->SetSource(Bstr(error.source()).get());
    created->SetDescription(Bstr(error.description()).get());
  } catch (const automation::AutomationError&) {
    return hresult;  // out of memory: the HRESULT alone still tells
  }
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(created->QueryInterface(
          IID_IErrorInfo, reinterpret_cast<void**>(info.Receive())))) {
    SetErrorInfo(0, info.get());
  }
  return hresult;
}

HRESULT ToDispatchFailure(HRESULT failure, EXCEPINFO* excepinfo) {
  if (SUCCEEDED(failure) || failure == DISP_E_EXCEPTION || !excepinfo) {
    return failure;
  }
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Receive()) != S_OK || !info) return failure;
  *excepinfo = EXCEPINFO{};
  excepinfo->scode = failure;
  info->GetSource(&excepinfo->bstrSource);
  info->GetDescription(&excepinfo->bstrDescription);
  info->GetHelpFile(&excepinfo->bstrHelpFile);
  info->GetHelpContext(&excepinfo->dwHelpContext);
  return DISP_E_EXCEPTION;
}

}  // namespace corvane::server
