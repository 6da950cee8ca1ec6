// The network-management records and statuses in the platform's own
// shapes: UTF-16 text, level records with the platform's field names,
// statuses as plain numbers. On Windows these match <lmaccess.h> field for
// field (the pass-through backend asserts it); elsewhere they are the
// contract every backend presents.
#pragma once

#include <cstdint>

namespace corvane::netapi {

using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using BYTE = std::uint8_t;
using LPBYTE = BYTE*;
using DWORD = std::uint32_t;
using LPDWORD = DWORD*;
using DWORD_PTR = std::uintptr_t;
using PDWORD_PTR = DWORD_PTR*;
using BOOL = int;
using NET_API_STATUS = DWORD;

// Statuses the component tells apart or that backends report by name.
inline constexpr NET_API_STATUS NERR_Success = 0;
inline constexpr NET_API_STATUS ERROR_ACCESS_DENIED = 5;
inline constexpr NET_API_STATUS ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr NET_API_STATUS ERROR_BAD_NETPATH = 53;
inline constexpr NET_API_STATUS ERROR_INVALID_PARAMETER = 87;
inline constexpr NET_API_STATUS ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr NET_API_STATUS ERROR_INVALID_LEVEL = 124;
inline constexpr NET_API_STATUS ERROR_MORE_DATA = 234;
inline constexpr NET_API_STATUS ERROR_NO_UNICODE_TRANSLATION = 1113;
inline constexpr NET_API_STATUS ERROR_NONE_MAPPED = 1332;
inline constexpr NET_API_STATUS NERR_GroupNotFound = 2220;
inline constexpr NET_API_STATUS NERR_UserNotFound = 2221;
inline constexpr NET_API_STATUS NERR_GroupExists = 2223;
inline constexpr NET_API_STATUS NERR_UserExists = 2224;
inline constexpr NET_API_STATUS NERR_UserInGroup = 2236;
inline constexpr NET_API_STATUS NERR_UserNotInGroup = 2237;
inline constexpr NET_API_STATUS NERR_PasswordTooShort = 2245;
inline constexpr NET_API_STATUS NERR_DCNotFound = 2453;

// Account flags (usriN_flags).
inline constexpr DWORD UF_SCRIPT = 0x0001;
inline constexpr DWORD UF_ACCOUNTDISABLE = 0x0002;
inline constexpr DWORD UF_LOCKOUT = 0x0010;
inline constexpr DWORD UF_NORMAL_ACCOUNT = 0x0200;
inline constexpr DWORD UF_INTERDOMAIN_TRUST_ACCOUNT = 0x0800;
inline constexpr DWORD UF_WORKSTATION_TRUST_ACCOUNT = 0x1000;
inline constexpr DWORD UF_SERVER_TRUST_ACCOUNT = 0x2000;
inline constexpr DWORD UF_DONT_EXPIRE_PASSWD = 0x10000;
// Read only: the password has expired (levels 1 to 3 of an enumeration).
inline constexpr DWORD UF_PASSWORD_EXPIRED = 0x800000;

// usriN_acct_expires of an account that never expires.
inline constexpr DWORD TIMEQ_FOREVER = 0xFFFFFFFF;

inline constexpr DWORD USER_PRIV_GUEST = 0;
inline constexpr DWORD USER_PRIV_USER = 1;
inline constexpr DWORD USER_PRIV_ADMIN = 2;

inline constexpr DWORD FILTER_NORMAL_ACCOUNT = 0x0002;
inline constexpr DWORD MAX_PREFERRED_LENGTH = 0xFFFFFFFF;

inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// parm_err indexes of USER_INFO_1 / GROUP_INFO_1 fields.
inline constexpr DWORD USER_NAME_PARMNUM = 1;
inline constexpr DWORD USER_PASSWORD_PARMNUM = 3;
inline constexpr DWORD USER_PRIV_PARMNUM = 5;
inline constexpr DWORD USER_HOME_DIR_PARMNUM = 6;
inline constexpr DWORD USER_COMMENT_PARMNUM = 7;
inline constexpr DWORD USER_FLAGS_PARMNUM = 8;
inline constexpr DWORD USER_SCRIPT_PATH_PARMNUM = 9;
inline constexpr DWORD USER_ACCT_EXPIRES_PARMNUM = 17;
inline constexpr DWORD USER_PRIMARY_GROUP_PARMNUM = 51;
inline constexpr DWORD GROUP_NAME_PARMNUM = 1;
inline constexpr DWORD GROUP_COMMENT_PARMNUM = 2;

enum SID_NAME_USE : int {
  SidTypeUser = 1,
  SidTypeGroup,
  SidTypeDomain,
  SidTypeAlias,
  SidTypeWellKnownGroup,
  SidTypeDeletedAccount,
  SidTypeInvalid,
  SidTypeUnknown,
  SidTypeComputer,
};
using PSID = void*;

struct USER_INFO_0 {
  LPWSTR usri0_name;
};

struct USER_INFO_1 {
  LPWSTR usri1_name;
  LPWSTR usri1_password;
  DWORD usri1_password_age;
  DWORD usri1_priv;
  LPWSTR usri1_home_dir;
  LPWSTR usri1_comment;
  DWORD usri1_flags;
  LPWSTR usri1_script_path;
};

struct USER_INFO_2 {
  LPWSTR usri2_name;
  LPWSTR usri2_password;
  DWORD usri2_password_age;
  DWORD usri2_priv;
  LPWSTR usri2_home_dir;
  LPWSTR usri2_comment;
  DWORD usri2_flags;
  LPWSTR usri2_script_path;
  DWORD usri2_auth_flags;
  LPWSTR usri2_full_name;
  LPWSTR usri2_usr_comment;
  LPWSTR usri2_parms;
  LPWSTR usri2_workstations;
  DWORD usri2_last_logon;
  DWORD usri2_last_logoff;
  DWORD usri2_acct_expires;
  DWORD usri2_max_storage;
  DWORD usri2_units_per_week;
  BYTE* usri2_logon_hours;
  DWORD usri2_bad_pw_count;
  DWORD usri2_num_logons;
  LPWSTR usri2_logon_server;
  DWORD usri2_country_code;
  DWORD usri2_code_page;
};

// Level 3: level 2 plus the relative id, the primary group and whether the
// password has expired; the level an enumeration gives with every fact.
struct USER_INFO_3 {
  LPWSTR usri3_name;
  LPWSTR usri3_password;
  DWORD usri3_password_age;
  DWORD usri3_priv;
  LPWSTR usri3_home_dir;
  LPWSTR usri3_comment;
  DWORD usri3_flags;
  LPWSTR usri3_script_path;
  DWORD usri3_auth_flags;
  LPWSTR usri3_full_name;
  LPWSTR usri3_usr_comment;
  LPWSTR usri3_parms;
  LPWSTR usri3_workstations;
  DWORD usri3_last_logon;
  DWORD usri3_last_logoff;
  DWORD usri3_acct_expires;
  DWORD usri3_max_storage;
  DWORD usri3_units_per_week;
  BYTE* usri3_logon_hours;
  DWORD usri3_bad_pw_count;
  DWORD usri3_num_logons;
  LPWSTR usri3_logon_server;
  DWORD usri3_country_code;
  DWORD usri3_code_page;
  DWORD usri3_user_id;
  DWORD usri3_primary_group_id;
  LPWSTR usri3_profile;
  LPWSTR usri3_home_dir_drive;
  DWORD usri3_password_expired;
};

// Level 4: level 2 plus the SID, the primary group and whether the password
// has expired (must be changed at the next logon). Times are seconds since
// 1970 (UTC); usri4_password_age is the seconds since the last change.
struct USER_INFO_4 {
  LPWSTR usri4_name;
  LPWSTR usri4_password;
  DWORD usri4_password_age;
  DWORD usri4_priv;
  LPWSTR usri4_home_dir;
  LPWSTR usri4_comment;
  DWORD usri4_flags;
  LPWSTR usri4_script_path;
  DWORD usri4_auth_flags;
  LPWSTR usri4_full_name;
  LPWSTR usri4_usr_comment;
  LPWSTR usri4_parms;
  LPWSTR usri4_workstations;
  DWORD usri4_last_logon;
  DWORD usri4_last_logoff;
  DWORD usri4_acct_expires;
  DWORD usri4_max_storage;
  DWORD usri4_units_per_week;
  BYTE* usri4_logon_hours;
  DWORD usri4_bad_pw_count;
  DWORD usri4_num_logons;
  LPWSTR usri4_logon_server;
  DWORD usri4_country_code;
  DWORD usri4_code_page;
  PSID usri4_user_sid;
  DWORD usri4_primary_group_id;
  LPWSTR usri4_profile;
  LPWSTR usri4_home_dir_drive;
  DWORD usri4_password_expired;
};

// The domain's password policy; ages in seconds, TIMEQ_FOREVER for none.
struct USER_MODALS_INFO_0 {
  DWORD usrmod0_min_passwd_len;
  DWORD usrmod0_max_passwd_age;
  DWORD usrmod0_min_passwd_age;
  DWORD usrmod0_force_logoff;
  DWORD usrmod0_password_hist_len;
};

struct USER_INFO_1003 {
  LPWSTR usri1003_password;
};
struct USER_INFO_1006 {
  LPWSTR usri1006_home_dir;
};
struct USER_INFO_1007 {
  LPWSTR usri1007_comment;
};
struct USER_INFO_1008 {
  DWORD usri1008_flags;
};
struct USER_INFO_1009 {
  LPWSTR usri1009_script_path;
};
struct USER_INFO_1011 {
  LPWSTR usri1011_full_name;
};
// When the account expires, in seconds since 1970; TIMEQ_FOREVER: never.
struct USER_INFO_1017 {
  DWORD usri1017_acct_expires;
};

struct GROUP_INFO_0 {
  LPWSTR grpi0_name;
};
struct GROUP_INFO_1 {
  LPWSTR grpi1_name;
  LPWSTR grpi1_comment;
};
struct GROUP_USERS_INFO_0 {
  LPWSTR grui0_name;
};

}  // namespace corvane::netapi
