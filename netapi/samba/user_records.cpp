#include "netapi/samba/user_records.h"

#include "netapi/samba/account_flags.h"

namespace corvane::netapi::samba {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr std::uint64_t kNtTimeInfinity = 0x8000000000000000ull;
constexpr std::uint32_t kUnlimitedStorage = 0xFFFFFFFF;

std::uint32_t Privilege(std::uint32_t rid) {
  switch (rid) {
    case 500:  // Administrator
      return USER_PRIV_ADMIN;
    case 501:  // Guest
      return USER_PRIV_GUEST;
    default:
      return USER_PRIV_USER;
  }
}

}  // namespace

std::uint32_t UnixTime(std::uint64_t nt_time) {
  if (nt_time == 0 || nt_time == ~0ull) return 0;
  const auto ticks = static_cast<std::int64_t>(nt_time);
  std::int64_t seconds = ticks / kTicksPerSecond - kSecondsFrom1601To1970;
  std::int64_t nanoseconds = ticks % kTicksPerSecond * 100;
  if (nanoseconds < 0) {
    --seconds;
    nanoseconds += 1'000'000'000;
  }
  if (nanoseconds > 500'000'000) ++seconds;
  return static_cast<std::uint32_t>(seconds);
}

std::uint32_t UnixInterval(std::uint64_t nt_interval) {
  if (nt_interval == 0) return 0;
  if (nt_interval == ~0ull || nt_interval == kNtTimeInfinity) {
    return TIMEQ_FOREVER;
  }
  // Intervals are negative: their complement counts the ticks.
  return static_cast<std::uint32_t>((~nt_interval + kTicksPerSecond / 2) /
                                    kTicksPerSecond);
}

::USER_INFO_4 UserInfo4(const corvane_rpc_user& user, ::domsid* sid,
                        std::int64_t now) {
  ::USER_INFO_4 info{};
  info.usri4_name = user.account_name;
  info.usri4_password_age =
      static_cast<std::uint32_t>(now - UnixTime(user.last_password_change));
  info.usri4_priv = Privilege(user.rid);
  info.usri4_home_dir = user.home_directory;
  info.usri4_comment = user.description;
  info.usri4_flags = UF_SCRIPT | FromAccountControl(user.acct_flags);
  info.usri4_script_path = user.logon_script;
  info.usri4_auth_flags = user.operator_flags;
  info.usri4_full_name = user.full_name;
  info.usri4_usr_comment = user.comment;
  info.usri4_parms = user.parameters;
  info.usri4_workstations = user.workstations;
  info.usri4_last_logon = UnixTime(user.last_logon);
  info.usri4_last_logoff = UnixTime(user.last_logoff);
  info.usri4_acct_expires = UnixTime(user.acct_expiry);
  info.usri4_max_storage = kUnlimitedStorage;
  info.usri4_units_per_week = user.units_per_week;
  info.usri4_logon_hours = const_cast<std::uint8_t*>(user.logon_hours);
  info.usri4_bad_pw_count = user.bad_password_count;
  info.usri4_num_logons = user.logon_count;
  info.usri4_logon_server = "\\\\*";
  info.usri4_country_code = user.country_code;
  info.usri4_code_page = user.code_page;
  info.usri4_user_sid = sid;
  info.usri4_primary_group_id = user.primary_gid;
  info.usri4_profile = user.profile_path;
  info.usri4_home_dir_drive = user.home_drive;
  info.usri4_password_expired = user.password_expired;
  return info;
}

::USER_INFO_2 UserInfo2(const ::USER_INFO_4& full) {
  return {full.usri4_name,         nullptr,
          full.usri4_password_age, full.usri4_priv,
          full.usri4_home_dir,     full.usri4_comment,
          full.usri4_flags,        full.usri4_script_path,
          full.usri4_auth_flags,   full.usri4_full_name,
          full.usri4_usr_comment,  full.usri4_parms,
          full.usri4_workstations, full.usri4_last_logon,
          full.usri4_last_logoff,  full.usri4_acct_expires,
          full.usri4_max_storage,  full.usri4_units_per_week,
          full.usri4_logon_hours,  full.usri4_bad_pw_count,
          full.usri4_num_logons,   full.usri4_logon_server,
          full.usri4_country_code, full.usri4_code_page};
}

::USER_INFO_1 UserInfo1(const ::USER_INFO_4& full) {
  return {full.usri4_name,         nullptr,
          full.usri4_password_age, full.usri4_priv,
          full.usri4_home_dir,     full.usri4_comment,
          full.usri4_flags,        full.usri4_script_path};
}

::USER_MODALS_INFO_0 ModalsInfo0(const corvane_rpc_policy& policy) {
  return {policy.min_password_length,
          UnixInterval(static_cast<std::uint64_t>(policy.max_password_age)),
          UnixInterval(static_cast<std::uint64_t>(policy.min_password_age)),
          UnixInterval(policy.force_logoff_time),
          policy.password_history_length};
}

}  // namespace corvane::netapi::samba
