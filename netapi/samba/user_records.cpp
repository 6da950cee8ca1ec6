#include "netapi/samba/user_records.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "netapi/samba/account_flags.h"
#include "netapi/samba/text.h"

namespace corvane::netapi::samba {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr std::uint64_t kNtTimeInfinity = 0x8000000000000000ull;
// The directory's "never expires": the largest NT time.
constexpr std::uint64_t kNtTimeNever = 0x7FFFFFFFFFFFFFFFull;
constexpr DWORD kUnlimitedStorage = 0xFFFFFFFF;
constexpr char16_t kAnyLogonServer[] = u"\\\\*";

DWORD Privilege(std::uint32_t rid) {
  switch (rid) {
    case 500:  // Administrator
      return USER_PRIV_ADMIN;
    case 501:  // Guest
      return USER_PRIV_GUEST;
    default:
      return USER_PRIV_USER;
  }
}

DWORD ExpiryTime(std::uint64_t nt_time) {
  return nt_time == kNtTimeNever ? TIMEQ_FOREVER : UnixTime(nt_time);
}

// A negative NT interval as seconds; "never" is TIMEQ_FOREVER.
DWORD UnixInterval(std::uint64_t nt_interval) {
  if (nt_interval == 0) return 0;
  if (nt_interval == ~0ull || nt_interval == kNtTimeInfinity) {
    return TIMEQ_FOREVER;
  }
  // Intervals are negative: their complement counts the ticks.
  return static_cast<DWORD>((~nt_interval + kTicksPerSecond / 2) /
                            kTicksPerSecond);
}

// The account as the records carry it: texts in the platform's form,
// numbers in its units.
struct Account {
  std::u16string name, home_dir, comment, script_path, full_name, usr_comment,
      parms, workstations, profile, home_dir_drive;
  DWORD password_age = 0, priv = 0, flags = 0;
  const corvane_rpc_user* user = nullptr;
  std::span<const BYTE> sid;
};

std::optional<Account> AccountOf(const corvane_rpc_user& user,
                                 std::span<const BYTE> sid, std::int64_t now) {
  Account account;
  const std::pair<const char*, std::u16string*> texts[] = {
      {user.account_name, &account.name},
      {user.home_directory, &account.home_dir},
      {user.description, &account.comment},
      {user.logon_script, &account.script_path},
      {user.full_name, &account.full_name},
      {user.comment, &account.usr_comment},
      {user.parameters, &account.parms},
      {user.workstations, &account.workstations},
      {user.profile_path, &account.profile},
      {user.home_drive, &account.home_dir_drive}};
  for (const auto& [in, out] : texts) {
    std::optional<std::u16string> converted = ToUtf16(in);
    if (!converted) return std::nullopt;
    *out = std::move(*converted);
  }
  account.password_age =
      static_cast<DWORD>(now - UnixTime(user.last_password_change));
  account.priv = Privilege(user.rid);
  account.flags = UF_SCRIPT | FromAccountControl(user.acct_flags);
  account.user = &user;
  account.sid = sid;
  return account;
}

void Add(const Account& in, RecordBuilder<USER_INFO_0>& out) {
  out.Add();
  out.Text(&USER_INFO_0::usri0_name, in.name);
}

void Add(const Account& in, RecordBuilder<USER_INFO_1>& out) {
  USER_INFO_1& record = out.Add();
  record.usri1_password_age = in.password_age;
  record.usri1_priv = in.priv;
  record.usri1_flags = in.flags;
  out.Text(&USER_INFO_1::usri1_name, in.name);
  out.Text(&USER_INFO_1::usri1_home_dir, in.home_dir);
  out.Text(&USER_INFO_1::usri1_comment, in.comment);
  out.Text(&USER_INFO_1::usri1_script_path, in.script_path);
}

void Add(const Account& in, RecordBuilder<USER_INFO_2>& out) {
  const corvane_rpc_user& user = *in.user;
  USER_INFO_2& record = out.Add();
  record.usri2_password_age = in.password_age;
  record.usri2_priv = in.priv;
  record.usri2_flags = in.flags;
  record.usri2_auth_flags = user.operator_flags;
  record.usri2_last_logon = UnixTime(user.last_logon);
  record.usri2_last_logoff = UnixTime(user.last_logoff);
  record.usri2_acct_expires = ExpiryTime(user.acct_expiry);
  record.usri2_max_storage = kUnlimitedStorage;
  record.usri2_units_per_week = user.units_per_week;
  record.usri2_bad_pw_count = user.bad_password_count;
  record.usri2_num_logons = user.logon_count;
  record.usri2_country_code = user.country_code;
  record.usri2_code_page = user.code_page;
  out.Text(&USER_INFO_2::usri2_name, in.name);
  out.Text(&USER_INFO_2::usri2_home_dir, in.home_dir);
  out.Text(&USER_INFO_2::usri2_comment, in.comment);
  out.Text(&USER_INFO_2::usri2_script_path, in.script_path);
  out.Text(&USER_INFO_2::usri2_full_name, in.full_name);
  out.Text(&USER_INFO_2::usri2_usr_comment, in.usr_comment);
  out.Text(&USER_INFO_2::usri2_parms, in.parms);
  out.Text(&USER_INFO_2::usri2_workstations, in.workstations);
  out.Text(&USER_INFO_2::usri2_logon_server, kAnyLogonServer);
  out.Bytes(&USER_INFO_2::usri2_logon_hours, user.logon_hours);
}

void Add(const Account& in, RecordBuilder<USER_INFO_4>& out) {
  const corvane_rpc_user& user = *in.user;
  USER_INFO_4& record = out.Add();
  record.usri4_password_age = in.password_age;
  record.usri4_priv = in.priv;
  record.usri4_flags = in.flags;
  record.usri4_auth_flags = user.operator_flags;
  record.usri4_last_logon = UnixTime(user.last_logon);
  record.usri4_last_logoff = UnixTime(user.last_logoff);
  record.usri4_acct_expires = ExpiryTime(user.acct_expiry);
  record.usri4_max_storage = kUnlimitedStorage;
  record.usri4_units_per_week = user.units_per_week;
  record.usri4_bad_pw_count = user.bad_password_count;
  record.usri4_num_logons = user.logon_count;
  record.usri4_country_code = user.country_code;
  record.usri4_code_page = user.code_page;
  record.usri4_primary_group_id = user.primary_gid;
  record.usri4_password_expired = user.password_expired;
  out.Text(&USER_INFO_4::usri4_name, in.name);
  out.Text(&USER_INFO_4::usri4_home_dir, in.home_dir);
  out.Text(&USER_INFO_4::usri4_comment, in.comment);
  out.Text(&USER_INFO_4::usri4_script_path, in.script_path);
  out.Text(&USER_INFO_4::usri4_full_name, in.full_name);
  out.Text(&USER_INFO_4::usri4_usr_comment, in.usr_comment);
  out.Text(&USER_INFO_4::usri4_parms, in.parms);
  out.Text(&USER_INFO_4::usri4_workstations, in.workstations);
  out.Text(&USER_INFO_4::usri4_logon_server, kAnyLogonServer);
  out.Text(&USER_INFO_4::usri4_profile, in.profile);
  out.Text(&USER_INFO_4::usri4_home_dir_drive, in.home_dir_drive);
  out.Bytes(&USER_INFO_4::usri4_logon_hours, user.logon_hours);
  out.Bytes(&USER_INFO_4::usri4_user_sid, in.sid);
}

template <typename Record>
NET_API_STATUS Make(const Account& account, const BlockAllocator& allocate,
                    LPBYTE* bufptr) {
  RecordBuilder<Record> builder;
  Add(account, builder);
  *bufptr = builder.Build(allocate);
  return *bufptr == nullptr ? ERROR_NOT_ENOUGH_MEMORY : NERR_Success;
}

}  // namespace

NET_API_STATUS MakeUserRecord(const corvane_rpc_user& user,
                              std::span<const BYTE> sid, std::int64_t now,
                              DWORD level, const BlockAllocator& allocate,
                              LPBYTE* bufptr) {
  const std::optional<Account> account = AccountOf(user, sid, now);
  if (!account) return ERROR_NO_UNICODE_TRANSLATION;
  switch (level) {
    case 0:
      return Make<USER_INFO_0>(*account, allocate, bufptr);
    case 1:
      return Make<USER_INFO_1>(*account, allocate, bufptr);
    case 2:
      return Make<USER_INFO_2>(*account, allocate, bufptr);
    case 4:
      return Make<USER_INFO_4>(*account, allocate, bufptr);
    default:
      return ERROR_INVALID_LEVEL;
  }
}

std::optional<ListedUser> ListedUserOf(const corvane_rpc_user& user) {
  ListedUser listed;
  const std::pair<const char*, std::u16string*> texts[] = {
      {user.account_name, &listed.name},
      {user.home_directory, &listed.home_dir},
      {user.description, &listed.comment},
      {user.logon_script, &listed.script_path},
      {user.full_name, &listed.full_name},
      {user.comment, &listed.usr_comment},
      {user.parameters, &listed.parms},
      {user.workstations, &listed.workstations},
      {user.profile_path, &listed.profile},
      {user.home_drive, &listed.home_dir_drive}};
  for (const auto& [in, out] : texts) {
    std::optional<std::u16string> converted = ToUtf16(in);
    if (!converted) return std::nullopt;
    *out = std::move(*converted);
  }
  listed.last_logon = user.last_logon;
  listed.last_logoff = user.last_logoff;
  listed.last_password_change = user.last_password_change;
  listed.acct_expiry = user.acct_expiry;
  listed.rid = user.rid;
  listed.primary_gid = user.primary_gid;
  listed.acct_flags = user.acct_flags;
  listed.bad_password_count = user.bad_password_count;
  listed.logon_count = user.logon_count;
  listed.country_code = user.country_code;
  listed.code_page = user.code_page;
  listed.units_per_week = user.units_per_week;
  listed.operator_flags = user.operator_flags;
  std::copy(std::begin(user.logon_hours), std::end(user.logon_hours),
            listed.logon_hours.begin());
  listed.password_expired = user.password_expired != 0;
  return listed;
}

void AddListedRecord(const ListedUser& user, std::int64_t now,
                     RecordBuilder<USER_INFO_3>& batch) {
  USER_INFO_3& record = batch.Add();
  record.usri3_password_age =
      static_cast<DWORD>(now - UnixTime(user.last_password_change));
  record.usri3_priv = Privilege(user.rid);
  record.usri3_flags = UF_SCRIPT | FromAccountControl(user.acct_flags);
  if (user.password_expired) record.usri3_flags |= UF_PASSWORD_EXPIRED;
  record.usri3_auth_flags = user.operator_flags;
  record.usri3_last_logon = UnixTime(user.last_logon);
  record.usri3_last_logoff = UnixTime(user.last_logoff);
  record.usri3_acct_expires = ExpiryTime(user.acct_expiry);
  record.usri3_max_storage = kUnlimitedStorage;
  record.usri3_units_per_week = user.units_per_week;
  record.usri3_bad_pw_count = user.bad_password_count;
  record.usri3_num_logons = user.logon_count;
  record.usri3_country_code = user.country_code;
  record.usri3_code_page = user.code_page;
  record.usri3_user_id = user.rid;
  record.usri3_primary_group_id = user.primary_gid;
  record.usri3_password_expired = user.password_expired ? 1 : 0;
  batch.Text(&USER_INFO_3::usri3_name, user.name);
  batch.Text(&USER_INFO_3::usri3_home_dir, user.home_dir);
  batch.Text(&USER_INFO_3::usri3_comment, user.comment);
  batch.Text(&USER_INFO_3::usri3_script_path, user.script_path);
  batch.Text(&USER_INFO_3::usri3_full_name, user.full_name);
  batch.Text(&USER_INFO_3::usri3_usr_comment, user.usr_comment);
  batch.Text(&USER_INFO_3::usri3_parms, user.parms);
  batch.Text(&USER_INFO_3::usri3_workstations, user.workstations);
  batch.Text(&USER_INFO_3::usri3_logon_server, kAnyLogonServer);
  batch.Text(&USER_INFO_3::usri3_profile, user.profile);
  batch.Text(&USER_INFO_3::usri3_home_dir_drive, user.home_dir_drive);
  batch.Bytes(&USER_INFO_3::usri3_logon_hours, user.logon_hours);
}

std::uint64_t NtExpiry(DWORD acct_expires) {
  if (acct_expires == TIMEQ_FOREVER || acct_expires == 0) return kNtTimeNever;
  return (static_cast<std::uint64_t>(acct_expires) + kSecondsFrom1601To1970) *
         kTicksPerSecond;
}

DWORD AcctExpires(std::uint64_t nt_time) { return ExpiryTime(nt_time); }

DWORD UnixTime(std::uint64_t nt_time) {
  if (nt_time == 0 || nt_time == ~0ull) return 0;
  const auto ticks = static_cast<std::int64_t>(nt_time);
  std::int64_t seconds = ticks / kTicksPerSecond - kSecondsFrom1601To1970;
  std::int64_t nanoseconds = ticks % kTicksPerSecond * 100;
  if (nanoseconds < 0) {
    --seconds;
    nanoseconds += 1'000'000'000;
  }
  if (nanoseconds > 500'000'000) ++seconds;
  return static_cast<DWORD>(seconds);
}

NET_API_STATUS MakeModalsRecord(const corvane_rpc_policy& policy,
                                const BlockAllocator& allocate,
                                LPBYTE* bufptr) {
  RecordBuilder<USER_MODALS_INFO_0> builder;
  builder.Add() = {
      .usrmod0_min_passwd_len = policy.min_password_length,
      .usrmod0_max_passwd_age =
          UnixInterval(static_cast<std::uint64_t>(policy.max_password_age)),
      .usrmod0_min_passwd_age =
          UnixInterval(static_cast<std::uint64_t>(policy.min_password_age)),
      .usrmod0_force_logoff = UnixInterval(policy.force_logoff_time),
      .usrmod0_password_hist_len = policy.password_history_length,
  };
  *bufptr = builder.Build(allocate);
  return *bufptr == nullptr ? ERROR_NOT_ENOUGH_MEMORY : NERR_Success;
}

}  // namespace corvane::netapi::samba
