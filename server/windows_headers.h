// The platform's headers for the COM server. They define macros named like
// the portable layer's constants (S_OK, DISP_E_*, VARIANT_TRUE, ERROR_*,
// DISPATCH_METHOD), so every portable header that declares such a name is
// read first; server code then uses the platform's spellings.
#pragma once

#include "automation/dispatch.h"
#include "automation/error.h"
#include "automation/hresult.h"
#include "automation/string_array.h"
#include "automation/variant.h"
#include "common/environment.h"
#include "netapi/api.h"
#include "netapi/types.h"

// Platform headers: only after the portable ones above.
#include <windows.h>
// Needs <windows.h> first.
#include <oleauto.h>

// The type library's interfaces as widl generates them (_NTDomain, NTGroup
// and NTUser at global scope, next to corvane::NTGroup and corvane::NTUser).
#include "corvane_typelib.h"
