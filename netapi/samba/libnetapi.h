// Samba's libnetapi declarations, included after the platform layer's own
// types. netapi.h defines a few of the same names as macros; they are
// removed so that the layer's constants keep their meaning here.
#pragma once

// netapi.h must come after the layer's types.
// clang-format off
#include <cstdint>
#include "netapi/types.h"
#include <netapi.h>
// clang-format on

// Each macro's value is kept before it goes, so that Samba's numbers are
// checked against the layer's rather than assumed equal.
namespace corvane::netapi::samba::macro_values {
inline constexpr auto kMoreData = ERROR_MORE_DATA;
inline constexpr auto kFilterNormalAccount = FILTER_NORMAL_ACCOUNT;
inline constexpr auto kPrivGuest = USER_PRIV_GUEST;
inline constexpr auto kPrivUser = USER_PRIV_USER;
inline constexpr auto kPrivAdmin = USER_PRIV_ADMIN;
}  // namespace corvane::netapi::samba::macro_values

#undef ERROR_MORE_DATA
#undef FILTER_NORMAL_ACCOUNT
#undef USER_PRIV_GUEST
#undef USER_PRIV_USER
#undef USER_PRIV_ADMIN

namespace corvane::netapi::samba::macro_values {
static_assert(kMoreData == corvane::netapi::ERROR_MORE_DATA);
static_assert(kFilterNormalAccount == corvane::netapi::FILTER_NORMAL_ACCOUNT);
static_assert(kPrivGuest == corvane::netapi::USER_PRIV_GUEST);
static_assert(kPrivUser == corvane::netapi::USER_PRIV_USER);
static_assert(kPrivAdmin == corvane::netapi::USER_PRIV_ADMIN);
}  // namespace corvane::netapi::samba::macro_values

extern "C" {
// libsamba-util: the smb.conf that libnetapi loads. Not in Samba's
// installed headers.
const char* set_dyn_CONFIGFILE(const char* newpath);
}
