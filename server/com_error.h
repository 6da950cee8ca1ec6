// Errors at the COM boundary. A member body raises AutomationError as the
// portable classes do; Guarded turns it into the HRESULT the caller gets
// and, when the error has a source or description, into the thread's error
// info (what a script reads as Err.Source and Err.Description). No C++
// exception ever crosses into COM.
#pragma once

#include <new>

#include "server/windows_headers.h"

namespace corvane::server {

// Sets the thread's error info for `error` (or clears it when the error has
// neither source nor description) and returns its HRESULT.
HRESULT RaiseErrorInfo(const automation::AutomationError& error);

// For IDispatch::Invoke: a failure that carries error info becomes
// DISP_E_EXCEPTION with the info in `excepinfo`, as automation clients
// expect; other failures pass unchanged.
HRESULT ToDispatchFailure(HRESULT failure, EXCEPINFO* excepinfo);

// Runs `body`; S_OK (and no error info) when it returns normally.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    body();
    SetErrorInfo(0, nullptr);
    return S_OK;
  } catch (const automation::AutomationError& error) {
    return RaiseErrorInfo(error);
  } catch (const std::bad_alloc&) {
    return RaiseErrorInfo(automation::AutomationError(E_OUTOFMEMORY));
  } catch (...) {
    return RaiseErrorInfo(automation::AutomationError(E_UNEXPECTED));
  }
}

}  // namespace corvane::server
