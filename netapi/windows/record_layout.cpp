// Our network-management records are passed to netapi32 as they are, so
// each must be the platform's <lmaccess.h> record byte for byte: same size,
// every field at the same offset with the same size.
#include <cstddef>

#include "netapi/types.h"

// After our own header: the platform's macros (ERROR_MORE_DATA, UF_LOCKOUT,
// ...) would otherwise rewrite its declarations.
#include <windows.h>
// Needs <windows.h> first.
#include <lm.h>

namespace corvane::netapi {
namespace {

#define CORVANE_SAME_FIELD(record, field)                               \
  static_assert(offsetof(record, field) == offsetof(::record, field) && \
                    sizeof(record::field) == sizeof(::record::field),   \
                #record "::" #field " differs from the platform's")
#define CORVANE_SAME_SIZE(record)                   \
  static_assert(sizeof(record) == sizeof(::record), \
                #record " differs from the platform's")

CORVANE_SAME_SIZE(USER_INFO_0);
CORVANE_SAME_FIELD(USER_INFO_0, usri0_name);

CORVANE_SAME_SIZE(USER_INFO_1);
CORVANE_SAME_FIELD(USER_INFO_1, usri1_name);
CORVANE_SAME_FIELD(USER_INFO_1, usri1_password);
CORVANE_SAME_FIELD(USER_INFO_1, usri1_password_age);
CORVANE_SAME_FIELD(USER_INFO_1, usri1_priv);
CORVANE_SAME_FIELD(USER_INFO_1, usri1_home_dir);
CORVANE_SAME_FIELD(USER_INFO_1, usri1_comment);
CORVANE_SAME_FIELD(USER_INFO_1, usri1_flags);
CORVANE_SAME_FIELD(USER_INFO_1, usri1_script_path);

CORVANE_SAME_SIZE(USER_INFO_2);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_name);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_password);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_password_age);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_priv);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_home_dir);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_comment);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_flags);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_script_path);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_auth_flags);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_full_name);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_usr_comment);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_parms);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_workstations);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_last_logon);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_last_logoff);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_acct_expires);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_max_storage);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_units_per_week);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_logon_hours);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_bad_pw_count);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_num_logons);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_logon_server);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_country_code);
CORVANE_SAME_FIELD(USER_INFO_2, usri2_code_page);

CORVANE_SAME_SIZE(USER_INFO_1003);
CORVANE_SAME_FIELD(USER_INFO_1003, usri1003_password);
CORVANE_SAME_SIZE(USER_INFO_1006);
CORVANE_SAME_FIELD(USER_INFO_1006, usri1006_home_dir);
CORVANE_SAME_SIZE(USER_INFO_1007);
CORVANE_SAME_FIELD(USER_INFO_1007, usri1007_comment);
CORVANE_SAME_SIZE(USER_INFO_1008);
CORVANE_SAME_FIELD(USER_INFO_1008, usri1008_flags);
CORVANE_SAME_SIZE(USER_INFO_1009);
CORVANE_SAME_FIELD(USER_INFO_1009, usri1009_script_path);
CORVANE_SAME_SIZE(USER_INFO_1011);
CORVANE_SAME_FIELD(USER_INFO_1011, usri1011_full_name);

CORVANE_SAME_SIZE(GROUP_INFO_0);
CORVANE_SAME_FIELD(GROUP_INFO_0, grpi0_name);
CORVANE_SAME_SIZE(GROUP_INFO_1);
CORVANE_SAME_FIELD(GROUP_INFO_1, grpi1_name);
CORVANE_SAME_FIELD(GROUP_INFO_1, grpi1_comment);
CORVANE_SAME_SIZE(GROUP_USERS_INFO_0);
CORVANE_SAME_FIELD(GROUP_USERS_INFO_0, grui0_name);

#undef CORVANE_SAME_FIELD
#undef CORVANE_SAME_SIZE

// The platform's values of the constants netapi/types.h defines; the
// platform's macros hide our names here, so the numbers are spelled out.
static_assert(VER_PLATFORM_WIN32_NT == 2);
static_assert(ERROR_MORE_DATA == 234 && ERROR_INSUFFICIENT_BUFFER == 122);
static_assert(NERR_GroupNotFound == 2220 && NERR_UserNotFound == 2221);
static_assert(NERR_DCNotFound == 2453 && NERR_UserInGroup == 2236);
static_assert(FILTER_NORMAL_ACCOUNT == 0x0002);
static_assert(UF_ACCOUNTDISABLE == 0x0002 && UF_LOCKOUT == 0x0010);
static_assert(USER_PRIV_ADMIN == 2 && USER_PRIV_GUEST == 0);

}  // namespace
}  // namespace corvane::netapi
