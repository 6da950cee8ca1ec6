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

#undef ERROR_MORE_DATA
#undef FILTER_NORMAL_ACCOUNT
#undef USER_PRIV_GUEST
#undef USER_PRIV_USER
#undef USER_PRIV_ADMIN

extern "C" {
// libsamba-util: the smb.conf that libnetapi loads. Not in Samba's
// installed headers.
const char* set_dyn_CONFIGFILE(const char* newpath);
}
