// libnetapi's user and policy records made from what SAMR gives over the
// direct RPC channel, field by field as libnetapi 4.17 makes them (times cut
// to 32-bit seconds, the privilege from the well-known relative ids, flags
// from the account-control bits with UF_SCRIPT always set), so that a
// record read either way is the same.
#pragma once

#include <cstdint>

#include "netapi/samba/libnetapi.h"
#include "netapi/samba/rpc_client.h"

namespace corvane::netapi::samba {

// An NT time as seconds since 1970 (0 for none), rounded to the second.
std::uint32_t UnixTime(std::uint64_t nt_time);
// A negative NT interval as seconds; "never" is TIMEQ_FOREVER.
std::uint32_t UnixInterval(std::uint64_t nt_interval);

// Every text and the logon hours point into `user`; the SID is the caller's.
::USER_INFO_4 UserInfo4(const corvane_rpc_user& user, ::domsid* sid,
                        std::int64_t now);
::USER_INFO_2 UserInfo2(const ::USER_INFO_4& full);
::USER_INFO_1 UserInfo1(const ::USER_INFO_4& full);

::USER_MODALS_INFO_0 ModalsInfo0(const corvane_rpc_policy& policy);

}  // namespace corvane::netapi::samba
