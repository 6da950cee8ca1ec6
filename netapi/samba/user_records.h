// The platform's user and policy records made from what SAMR gives over the
// direct RPC channel, field by field by name, with the values libnetapi 4.17
// gives (times cut to 32-bit seconds, the privilege from the well-known
// relative ids, flags from the account-control bits with UF_SCRIPT always
// set), so that a record reads the same either way; an account that never
// expires has TIMEQ_FOREVER.
#pragma once

#include <cstdint>
#include <span>

#include "netapi/record_builder.h"
#include "netapi/samba/rpc_client.h"
#include "netapi/types.h"

namespace corvane::netapi::samba {

// The record of `level` (0, 1, 2 or 4) for `user`, whose SID is `sid`, in
// one block from `allocate`; ERROR_NO_UNICODE_TRANSLATION for a text the
// platform cannot hold. `now` (seconds since 1970) dates the password age.
NET_API_STATUS MakeUserRecord(const corvane_rpc_user& user,
                              std::span<const BYTE> sid, std::int64_t now,
                              DWORD level, const BlockAllocator& allocate,
                              LPBYTE* bufptr);

NET_API_STATUS MakeModalsRecord(const corvane_rpc_policy& policy,
                                const BlockAllocator& allocate, LPBYTE* bufptr);

}  // namespace corvane::netapi::samba
