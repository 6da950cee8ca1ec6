// Account flags: the platform's usriN_flags (UF_ bits) against the SAM
// account-control bits (ACB_) that libnetapi writes unconverted on add and
// set, while it converts them to UF_ bits on read. Only the write
// direction needs converting here.
#pragma once

#include "netapi/types.h"

namespace corvane::netapi::samba {

inline constexpr DWORD UF_ACCOUNT_TYPE_MASK =
    UF_NORMAL_ACCOUNT | UF_INTERDOMAIN_TRUST_ACCOUNT |
    UF_WORKSTATION_TRUST_ACCOUNT | UF_SERVER_TRUST_ACCOUNT | 0x0100;

DWORD ToAccountControl(DWORD uf_flags);
// The UF_ bits of account-control bits (UF_SCRIPT is not among them).
DWORD FromAccountControl(DWORD acb_flags);

}  // namespace corvane::netapi::samba
