// One description per information level: every field of the record, in
// order, by name and by kind. A description is a macro taking one macro per
// kind, so that the same list checks our records against the platform's
// headers (netapi/windows/record_layout.cpp) and tells which fields a call
// trace must never show.
//
//   TEXT(Record, field)    a string the caller may see
//   SECRET(Record, field)  a password: never returned, never shown
//   NUMBER(Record, field)  a DWORD
//   BYTES(Record, field)   a byte array (the 21 bytes of logon hours, a
//                          SID in its binary form)
#pragma once

#define CORVANE_USER_INFO_0_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_0, usri0_name)

#define CORVANE_USER_INFO_1_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_1, usri1_name)                                 \
  SECRET(USER_INFO_1, usri1_password)                           \
  NUMBER(USER_INFO_1, usri1_password_age)                       \
  NUMBER(USER_INFO_1, usri1_priv)                               \
  TEXT(USER_INFO_1, usri1_home_dir)                             \
  TEXT(USER_INFO_1, usri1_comment)                              \
  NUMBER(USER_INFO_1, usri1_flags)                              \
  TEXT(USER_INFO_1, usri1_script_path)

#define CORVANE_USER_INFO_2_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_2, usri2_name)                                 \
  SECRET(USER_INFO_2, usri2_password)                           \
  NUMBER(USER_INFO_2, usri2_password_age)                       \
  NUMBER(USER_INFO_2, usri2_priv)                               \
  TEXT(USER_INFO_2, usri2_home_dir)                             \
  TEXT(USER_INFO_2, usri2_comment)                              \
  NUMBER(USER_INFO_2, usri2_flags)                              \
  TEXT(USER_INFO_2, usri2_script_path)                          \
  NUMBER(USER_INFO_2, usri2_auth_flags)                         \
  TEXT(USER_INFO_2, usri2_full_name)                            \
  TEXT(USER_INFO_2, usri2_usr_comment)                          \
  TEXT(USER_INFO_2, usri2_parms)                                \
  TEXT(USER_INFO_2, usri2_workstations)                         \
  NUMBER(USER_INFO_2, usri2_last_logon)                         \
  NUMBER(USER_INFO_2, usri2_last_logoff)                        \
  NUMBER(USER_INFO_2, usri2_acct_expires)                       \
  NUMBER(USER_INFO_2, usri2_max_storage)                        \
  NUMBER(USER_INFO_2, usri2_units_per_week)                     \
  BYTES(USER_INFO_2, usri2_logon_hours)                         \
  NUMBER(USER_INFO_2, usri2_bad_pw_count)                       \
  NUMBER(USER_INFO_2, usri2_num_logons)                         \
  TEXT(USER_INFO_2, usri2_logon_server)                         \
  NUMBER(USER_INFO_2, usri2_country_code)                       \
  NUMBER(USER_INFO_2, usri2_code_page)

#define CORVANE_USER_INFO_3_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_3, usri3_name)                                 \
  SECRET(USER_INFO_3, usri3_password)                           \
  NUMBER(USER_INFO_3, usri3_password_age)                       \
  NUMBER(USER_INFO_3, usri3_priv)                               \
  TEXT(USER_INFO_3, usri3_home_dir)                             \
  TEXT(USER_INFO_3, usri3_comment)                              \
  NUMBER(USER_INFO_3, usri3_flags)                              \
  TEXT(USER_INFO_3, usri3_script_path)                          \
  NUMBER(USER_INFO_3, usri3_auth_flags)                         \
  TEXT(USER_INFO_3, usri3_full_name)                            \
  TEXT(USER_INFO_3, usri3_usr_comment)                          \
  TEXT(USER_INFO_3, usri3_parms)                                \
  TEXT(USER_INFO_3, usri3_workstations)                         \
  NUMBER(USER_INFO_3, usri3_last_logon)                         \
  NUMBER(USER_INFO_3, usri3_last_logoff)                        \
  NUMBER(USER_INFO_3, usri3_acct_expires)                       \
  NUMBER(USER_INFO_3, usri3_max_storage)                        \
  NUMBER(USER_INFO_3, usri3_units_per_week)                     \
  BYTES(USER_INFO_3, usri3_logon_hours)                         \
  NUMBER(USER_INFO_3, usri3_bad_pw_count)                       \
  NUMBER(USER_INFO_3, usri3_num_logons)                         \
  TEXT(USER_INFO_3, usri3_logon_server)                         \
  NUMBER(USER_INFO_3, usri3_country_code)                       \
  NUMBER(USER_INFO_3, usri3_code_page)                          \
  NUMBER(USER_INFO_3, usri3_user_id)                            \
  NUMBER(USER_INFO_3, usri3_primary_group_id)                   \
  TEXT(USER_INFO_3, usri3_profile)                              \
  TEXT(USER_INFO_3, usri3_home_dir_drive)                       \
  NUMBER(USER_INFO_3, usri3_password_expired)

#define CORVANE_USER_INFO_4_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_4, usri4_name)                                 \
  SECRET(USER_INFO_4, usri4_password)                           \
  NUMBER(USER_INFO_4, usri4_password_age)                       \
  NUMBER(USER_INFO_4, usri4_priv)                               \
  TEXT(USER_INFO_4, usri4_home_dir)                             \
  TEXT(USER_INFO_4, usri4_comment)                              \
  NUMBER(USER_INFO_4, usri4_flags)                              \
  TEXT(USER_INFO_4, usri4_script_path)                          \
  NUMBER(USER_INFO_4, usri4_auth_flags)                         \
  TEXT(USER_INFO_4, usri4_full_name)                            \
  TEXT(USER_INFO_4, usri4_usr_comment)                          \
  TEXT(USER_INFO_4, usri4_parms)                                \
  TEXT(USER_INFO_4, usri4_workstations)                         \
  NUMBER(USER_INFO_4, usri4_last_logon)                         \
  NUMBER(USER_INFO_4, usri4_last_logoff)                        \
  NUMBER(USER_INFO_4, usri4_acct_expires)                       \
  NUMBER(USER_INFO_4, usri4_max_storage)                        \
  NUMBER(USER_INFO_4, usri4_units_per_week)                     \
  BYTES(USER_INFO_4, usri4_logon_hours)                         \
  NUMBER(USER_INFO_4, usri4_bad_pw_count)                       \
  NUMBER(USER_INFO_4, usri4_num_logons)                         \
  TEXT(USER_INFO_4, usri4_logon_server)                         \
  NUMBER(USER_INFO_4, usri4_country_code)                       \
  NUMBER(USER_INFO_4, usri4_code_page)                          \
  BYTES(USER_INFO_4, usri4_user_sid)                            \
  NUMBER(USER_INFO_4, usri4_primary_group_id)                   \
  TEXT(USER_INFO_4, usri4_profile)                              \
  TEXT(USER_INFO_4, usri4_home_dir_drive)                       \
  NUMBER(USER_INFO_4, usri4_password_expired)

#define CORVANE_USER_INFO_1003_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  SECRET(USER_INFO_1003, usri1003_password)
#define CORVANE_USER_INFO_1006_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_1006, usri1006_home_dir)
#define CORVANE_USER_INFO_1007_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_1007, usri1007_comment)
#define CORVANE_USER_INFO_1008_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  NUMBER(USER_INFO_1008, usri1008_flags)
#define CORVANE_USER_INFO_1009_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_1009, usri1009_script_path)
#define CORVANE_USER_INFO_1011_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(USER_INFO_1011, usri1011_full_name)
#define CORVANE_USER_INFO_1017_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  NUMBER(USER_INFO_1017, usri1017_acct_expires)

#define CORVANE_USER_MODALS_INFO_0_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  NUMBER(USER_MODALS_INFO_0, usrmod0_min_passwd_len)                   \
  NUMBER(USER_MODALS_INFO_0, usrmod0_max_passwd_age)                   \
  NUMBER(USER_MODALS_INFO_0, usrmod0_min_passwd_age)                   \
  NUMBER(USER_MODALS_INFO_0, usrmod0_force_logoff)                     \
  NUMBER(USER_MODALS_INFO_0, usrmod0_password_hist_len)

#define CORVANE_GROUP_INFO_0_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(GROUP_INFO_0, grpi0_name)
#define CORVANE_GROUP_INFO_1_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(GROUP_INFO_1, grpi1_name)                                 \
  TEXT(GROUP_INFO_1, grpi1_comment)
#define CORVANE_GROUP_USERS_INFO_0_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  TEXT(GROUP_USERS_INFO_0, grui0_name)

// Every level above, for checks that cover them all.
#define CORVANE_ALL_LEVELS(TEXT, SECRET, NUMBER, BYTES)          \
  CORVANE_USER_INFO_0_FIELDS(TEXT, SECRET, NUMBER, BYTES)        \
  CORVANE_USER_INFO_1_FIELDS(TEXT, SECRET, NUMBER, BYTES)        \
  CORVANE_USER_INFO_2_FIELDS(TEXT, SECRET, NUMBER, BYTES)        \
  CORVANE_USER_INFO_3_FIELDS(TEXT, SECRET, NUMBER, BYTES)        \
  CORVANE_USER_INFO_4_FIELDS(TEXT, SECRET, NUMBER, BYTES)        \
  CORVANE_USER_INFO_1003_FIELDS(TEXT, SECRET, NUMBER, BYTES)     \
  CORVANE_USER_INFO_1006_FIELDS(TEXT, SECRET, NUMBER, BYTES)     \
  CORVANE_USER_INFO_1007_FIELDS(TEXT, SECRET, NUMBER, BYTES)     \
  CORVANE_USER_INFO_1008_FIELDS(TEXT, SECRET, NUMBER, BYTES)     \
  CORVANE_USER_INFO_1009_FIELDS(TEXT, SECRET, NUMBER, BYTES)     \
  CORVANE_USER_INFO_1011_FIELDS(TEXT, SECRET, NUMBER, BYTES)     \
  CORVANE_USER_INFO_1017_FIELDS(TEXT, SECRET, NUMBER, BYTES)     \
  CORVANE_USER_MODALS_INFO_0_FIELDS(TEXT, SECRET, NUMBER, BYTES) \
  CORVANE_GROUP_INFO_0_FIELDS(TEXT, SECRET, NUMBER, BYTES)       \
  CORVANE_GROUP_INFO_1_FIELDS(TEXT, SECRET, NUMBER, BYTES)       \
  CORVANE_GROUP_USERS_INFO_0_FIELDS(TEXT, SECRET, NUMBER, BYTES)

// Every record described above.
#define CORVANE_ALL_RECORDS(RECORD) \
  RECORD(USER_INFO_0)               \
  RECORD(USER_INFO_1)               \
  RECORD(USER_INFO_2)               \
  RECORD(USER_INFO_3)               \
  RECORD(USER_INFO_4)               \
  RECORD(USER_INFO_1003)            \
  RECORD(USER_INFO_1006)            \
  RECORD(USER_INFO_1007)            \
  RECORD(USER_INFO_1008)            \
  RECORD(USER_INFO_1009)            \
  RECORD(USER_INFO_1011)            \
  RECORD(USER_INFO_1017)            \
  RECORD(USER_MODALS_INFO_0)        \
  RECORD(GROUP_INFO_0)              \
  RECORD(GROUP_INFO_1)              \
  RECORD(GROUP_USERS_INFO_0)
