// Bulk provisioning: rows of accounts (tasks/account_rows.h) made to exist
// as the rows say, over one connection, through the domain's Users and
// Groups objects, so that an account is made exactly as NTUser.Add makes
// it. Rows are checked first (CheckRows); then each row is applied, or with
// a dry run only planned, and reports its own outcome.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "automation/dispatch.h"
#include "automation/secret.h"
#include "netapi/api.h"
#include "tasks/account_changes.h"
#include "tasks/account_rows.h"

namespace corvane::tasks {

// Where generated passwords go: they are handed over once, as each new
// account is made.
class GeneratedPasswords {
 public:
  virtual ~GeneratedPasswords() = default;
  // Called before an account that gets a generated password is made (on a
  // dry run too, when nothing may be created): the reason they could not
  // be kept, or empty when they can.
  virtual std::string Ready(bool /*dry_run*/) { return ""; }
  // False when the password could not be kept (errno says why).
  virtual bool Keep(std::string_view name,
                    const automation::Secret& password) = 0;
  // Where they go, for messages ("passwords.csv").
  virtual std::string Where() const = 0;
};

struct ProvisioningOptions {
  bool dry_run = false;
  // An existing account is updated to match its row instead of refused.
  bool exist_ok = false;
  // An existing account's password is set from its row only with this.
  bool reset_passwords = false;
  // A new account without a password gets a generated one, handed to this;
  // `generated_to` names it.
  GeneratedPasswords* generated = nullptr;
  std::string generated_to;
  // Where the expiry and must-change changes are told (the classes tell
  // the rest themselves).
  ChangeEvents events;
};

struct RowOutcome {
  std::size_t line = 0;
  std::string user;
  std::string action;  // "create", "update" or "check"
  // What was done (or, on a dry run, would be), and what was not.
  std::vector<std::string> done, not_done;
  // Why nothing was done; empty when the row was worked through.
  std::string error;

  bool failed() const { return !error.empty() || !not_done.empty(); }
  // "ok", "unchanged" or "failed".
  std::string status() const;
};

class Provisioning {
 public:
  Provisioning(const automation::ObjectRef& domain, netapi::Api& api,
               ProvisioningOptions options);

  // Before any row is applied: every group the rows name must exist (one
  // listing of the groups). Marks the rows naming one that does not as
  // refused and returns a message for each, naming its row; or the
  // listing's failure as the one message.
  std::vector<std::string> CheckGroups(std::vector<AccountRow>& rows);

  // Makes the account of `row` (not refused) as it says; its password is
  // moved out of the row.
  RowOutcome Apply(AccountRow& row);

 private:
  void Create(AccountRow& row, RowOutcome& outcome);
  void Update(AccountRow& row, RowOutcome& outcome);
  template <typename Action>
  void Change(RowOutcome& outcome, const std::string& what, Action action);
  // The row's expiry and must-change, for a new account or one whose
  // facts differ.
  void ApplyLifecycle(const AccountRow& row, RowOutcome& outcome, bool fresh);
  void AddToGroup(const AccountRow& row, const std::string& group,
                  RowOutcome& outcome);
  // Selects `group`; the error text when it cannot be.
  std::string SelectGroup(const std::string& group);
  // Whether `user` is in `group`; SelectGroup(group) first.
  bool HasMember(const std::string& group, const std::string& user);
  // Adds `user` to the selected `group`; the error text when refused.
  std::string AddMember(const std::string& group, const std::string& user);

  ProvisioningOptions options_;
  automation::ObjectRef users_;
  automation::ObjectRef groups_;
  std::u16string server_;
  netapi::Api& api_;
  // The members of each group a row names, read once per run.
  std::map<std::string, std::set<std::string>> members_;
};

}  // namespace corvane::tasks
