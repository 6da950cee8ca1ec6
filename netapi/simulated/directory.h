// The account database of one simulated server: a domain controller's
// domain, or the local computer's own accounts. Names compare without
// regard to letter case, as on NT.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "netapi/types.h"

namespace corvane::netapi::simulated {

using Sid = std::vector<std::uint8_t>;

// The relative id of the group every new account starts in.
inline constexpr DWORD kDomainUsersRid = 513;

bool SameName(std::u16string_view a, std::u16string_view b);
// The same for any two names SameName finds equal.
std::u16string NameKey(std::u16string_view name);

// Builds the binary form of S-1-<authority>-<sub authorities...>.
Sid MakeSid(std::uint64_t authority, std::vector<std::uint32_t> subs);

// The domain's password policy, as a controller enforces it when a password
// is set: the shortest length, the complexity rules (no part of the account
// name; three of upper case, lower case, digits and other characters), and
// how many earlier passwords may not be used again. Zero and false: none.
struct PasswordPolicy {
  DWORD min_length = 0;
  bool complexity = false;
  DWORD history_length = 0;
  bool operator==(const PasswordPolicy&) const = default;
};
// What Samba gives a domain it provisions.
inline constexpr PasswordPolicy kNewDomainPolicy{7, true, 24};

struct Account {
  std::u16string name;
  std::u16string password;
  DWORD priv = USER_PRIV_USER;
  std::u16string home_dir;
  std::u16string comment;
  DWORD flags = UF_SCRIPT | UF_NORMAL_ACCOUNT;
  std::u16string script_path;
  std::u16string full_name;
  Sid sid;
  // Times in seconds since 1970 (UTC); 0 for never.
  DWORD last_logon = 0;
  DWORD password_last_set = 0;
  DWORD acct_expires = TIMEQ_FOREVER;
  DWORD bad_pw_count = 0;
  DWORD primary_group_id = kDomainUsersRid;
  // Must change the password at the next logon.
  bool password_expired = false;
  // The passwords set before the current one, the latest first, as many as
  // the policy's history keeps.
  std::vector<std::u16string> password_history;
};

struct Group {
  std::u16string name;
  std::u16string comment;
  std::vector<std::u16string> members;
  Sid sid;
};

class Directory {
 public:
  // `server` is the computer name without backslashes; `domain` the name
  // the accounts belong to.
  Directory(std::u16string server, std::u16string domain,
            std::vector<std::uint32_t> domain_sid_subs);

  const std::u16string& server() const { return server_; }
  const std::u16string& domain() const { return domain_; }
  // The database's own SID, which its accounts' SIDs extend by a relative id.
  Sid domain_sid() const;
  const std::vector<std::uint32_t>& domain_sid_subs() const {
    return domain_sid_subs_;
  }
  // The relative id the next added account gets.
  std::uint32_t next_rid() const { return next_rid_; }
  void set_next_rid(std::uint32_t rid) { next_rid_ = rid; }
  // The password policy's maximum age in seconds (TIMEQ_FOREVER: none).
  DWORD max_password_age() const { return max_password_age_; }
  void set_max_password_age(DWORD age) { max_password_age_ = age; }
  const PasswordPolicy& password_policy() const { return password_policy_; }
  void set_password_policy(PasswordPolicy policy) { password_policy_ = policy; }
  // Whether `password` may be set for the account `name` (its current
  // password and history; none for a new account): NERR_Success, or
  // NERR_PasswordTooShort, the platform's status for any password the
  // policy refuses.
  NET_API_STATUS CheckPassword(std::u16string_view name,
                               std::u16string_view password,
                               const Account* existing) const;
  // Sets `account`'s password, keeping the one it replaces in its history.
  void SetPassword(Account& account, std::u16string password) const;

  Account* FindUser(std::u16string_view name);
  Group* FindGroup(std::u16string_view name);

  // Adds with a fresh relative id; returns the stored record.
  Account& AddUser(Account account);
  Account& AddUserWithRid(Account account, std::uint32_t rid);
  Group& AddGroup(Group group);
  Group& AddGroupWithRid(Group group, std::uint32_t rid);
  bool DeleteUser(std::u16string_view name);
  // Gives `account` (one of ours) a new name, in the groups it belongs to
  // too; its SID stays.
  void RenameUser(Account& account, std::u16string name);
  bool DeleteGroup(std::u16string_view name);

  std::vector<Account>& users() { return users_; }
  std::vector<Group>& groups() { return groups_; }
  const std::vector<Account>& users() const { return users_; }
  const std::vector<Group>& groups() const { return groups_; }

 private:
  Sid SidForRid(std::uint32_t rid) const;

  std::u16string server_;
  std::u16string domain_;
  std::vector<std::uint32_t> domain_sid_subs_;
  std::uint32_t next_rid_ = 1100;
  DWORD max_password_age_ = 42 * 24 * 3600;  // the platform's default
  PasswordPolicy password_policy_;
  std::vector<Account> users_;
  std::vector<Group> groups_;
};

}  // namespace corvane::netapi::simulated
