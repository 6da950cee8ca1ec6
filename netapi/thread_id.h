// The numeric identifier of the calling operating-system thread, as the
// domain writes it into its start and end messages.
#pragma once

#include "netapi/types.h"

namespace corvane::netapi {

DWORD OsThreadId();

}  // namespace corvane::netapi
