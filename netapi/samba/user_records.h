// The platform's user and policy records made from what SAMR gives over the
// direct RPC channel, field by field by name, with the values libnetapi 4.17
// gives (times cut to 32-bit seconds, the privilege from the well-known
// relative ids, flags from the account-control bits with UF_SCRIPT always
// set), so that a record reads the same either way; an account that never
// expires has TIMEQ_FOREVER.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

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

// One account of a listing with the accounts' facts (NetUserEnum level 3),
// in the platform's text, times as NT times, as a source of the accounts
// fills it: today SAMR's record of each account (ListedUserOf). The level's
// records are made from it in one place (AddListedRecord).
struct ListedUser {
  std::u16string name, home_dir, comment, script_path, full_name, usr_comment,
      parms, workstations, profile, home_dir_drive;
  std::uint64_t last_logon = 0, last_logoff = 0, last_password_change = 0,
                acct_expiry = 0;
  std::uint32_t rid = 0, primary_gid = 0, acct_flags = 0,
                bad_password_count = 0, logon_count = 0, country_code = 0,
                code_page = 0, units_per_week = 0, operator_flags = 0;
  std::array<std::uint8_t, 21> logon_hours{};
  bool password_expired = false;
};

// None for a text the platform cannot hold.
std::optional<ListedUser> ListedUserOf(const corvane_rpc_user& user);
// The account's USER_INFO_3; `now` dates the password age. As the platform
// does, the flags carry UF_PASSWORD_EXPIRED when the password must be
// changed.
void AddListedRecord(const ListedUser& user, std::int64_t now,
                     RecordBuilder<USER_INFO_3>& batch);

// usriN_acct_expires (TIMEQ_FOREVER: never) as the NT time SAMR writes, and
// an NT time as usriN_acct_expires.
std::uint64_t NtExpiry(DWORD acct_expires);
DWORD AcctExpires(std::uint64_t nt_time);

// An NT time as seconds since 1970 (0 for none), rounded to the second.
DWORD UnixTime(std::uint64_t nt_time);

NET_API_STATUS MakeModalsRecord(const corvane_rpc_policy& policy,
                                const BlockAllocator& allocate, LPBYTE* bufptr);

}  // namespace corvane::netapi::samba
