#include "tasks/provisioning.h"

#include <cerrno>
#include <cstring>

#include "automation/late_bound.h"
#include "automation/text.h"
#include "netapi/types.h"
#include "tasks/account_changes.h"
#include "tasks/generated_password.h"
#include "tasks/listings.h"
#include "tasks/status_table.h"

namespace corvane::tasks {
namespace {

using automation::AsciiLower;
using automation::CallTest;
using automation::GetFlag;
using automation::GetObject;
using automation::GetText;
using automation::IsSuccess;
using automation::LastError;
using automation::PutValue;
using automation::Variant;

constexpr std::int32_t kMemberInGroup = 1320;  // ERROR_MEMBER_IN_GROUP

// Row texts are checked as UTF-8 before a row is applied.
std::u16string Wide(std::string_view utf8) {
  return automation::FromUtf8(utf8).value_or(u"");
}

}  // namespace

std::string RowOutcome::status() const {
  if (failed()) return "failed";
  return done.empty() ? "unchanged" : "ok";
}

Provisioning::Provisioning(const automation::ObjectRef& domain,
                           netapi::Api& api, ProvisioningOptions options)
    : options_(std::move(options)),
      users_(GetObject(domain, u"Users")),
      groups_(GetObject(domain, u"Groups")),
      server_(Wide(GetText(domain, u"sDC"))),
      api_(api) {}

std::vector<std::string> Provisioning::CheckGroups(
    std::vector<AccountRow>& rows) {
  bool any = false;
  for (const AccountRow& row : rows) any = any || !row.groups.empty();
  if (!any) return {};
  const CollectedNames groups =
      CollectNames(api_, GroupBatches(api_, server_), u"group");
  if (!IsSuccess(groups.result)) {
    return {"the groups could not be listed: " + Explained(groups.result)};
  }
  std::set<std::string> known;
  for (const std::string& name : groups.names) known.insert(AsciiLower(name));
  std::vector<std::string> problems;
  for (AccountRow& row : rows) {
    for (const std::string& group : row.groups) {
      if (known.contains(AsciiLower(group))) continue;
      problems.push_back("line " + std::to_string(row.line) + " (" + row.name +
                         "): the group " + group + " does not exist");
      row.refused = true;
    }
  }
  return problems;
}

RowOutcome Provisioning::Apply(AccountRow& row) {
  RowOutcome outcome;
  outcome.line = row.line;
  outcome.user = row.name;
  PutValue(users_, u"sUserName", Wide(row.name));
  const std::string selected = LastError(users_);
  if (IsSuccess(selected)) {
    outcome.action = "update";
    if (!options_.exist_ok) {
      outcome.error =
          "the account exists; --exist-ok updates it to match the row";
    } else {
      Update(row, outcome);
    }
  } else if (StatusInText(selected) == netapi::NERR_UserNotFound) {
    outcome.action = "create";
    Create(row, outcome);
  } else {
    outcome.action = "check";
    outcome.error = Explained(selected);
  }
  return outcome;
}

void Provisioning::Create(AccountRow& row, RowOutcome& outcome) {
  std::optional<automation::Secret> password = std::move(row.password);
  const bool generated = !password &&
                         (options_.generated != nullptr || options_.dry_run) &&
                         !options_.generated_to.empty();
  if (!password && !generated) {
    outcome.error =
        "a new account needs a password: give a password column (in a "
        "mode 600 file) or --generate-passwords FILE";
    return;
  }
  if (generated && options_.generated != nullptr) {
    if (std::string problem = options_.generated->Ready(options_.dry_run);
        !problem.empty()) {
      outcome.error = std::move(problem);
      return;
    }
  }
  if (options_.dry_run) {
    outcome.done.push_back(generated ? "create with a generated password"
                                     : "create");
    ApplyLifecycle(row, outcome, true);
    for (const std::string& group : row.groups) {
      outcome.done.push_back("add to " + group);
    }
    return;
  }
  if (generated) password = GeneratePassword();
  const automation::SecretRef shared = automation::Share(std::move(*password));
  const bool created =
      CallTest(users_, u"Add",
               {Wide(row.name), shared, Wide(row.home_dir.value_or("")),
                Wide(row.comment.value_or("")), Wide(row.script.value_or("")),
                Wide(row.full_name.value_or("")), 1,
                Variant::FromBool(row.disabled.value_or(false))});
  const std::string result = LastError(users_);
  if (!created) {
    outcome.error =
        IsSuccess(result) ? "the account was not created" : Explained(result);
    return;
  }
  outcome.done.push_back("created");
  if (generated) {
    const std::string written = "password written to " + options_.generated_to;
    if (options_.generated->Keep(row.name, *shared)) {
      outcome.done.push_back(written);
    } else {
      outcome.not_done.push_back(written + " (" + std::strerror(errno) +
                                 "); set one with user password");
    }
  }
  if (!IsSuccess(result)) {
    // Made, but not wholly (the class reports a later step's failure).
    outcome.not_done.push_back("every attribute set: " + Explained(result));
  }
  ApplyLifecycle(row, outcome, true);
  for (const std::string& group : row.groups) AddToGroup(row, group, outcome);
}

void Provisioning::ApplyLifecycle(const AccountRow& row, RowOutcome& outcome,
                                  bool fresh) {
  if (!row.expiry_given && !row.must_change) return;
  const std::u16string user = Wide(row.name);
  // A new account never expires and need not change its password; an
  // existing one is read once (its record) to see what differs.
  bool must_change = false;
  std::optional<Time> expires;
  if (!fresh) {
    const Read<AccountFacts> facts = ReadLifecycle(api_, server_, user);
    if (!facts.value) {
      outcome.not_done.push_back("read the expiry: " + Explained(facts.error));
      return;
    }
    must_change = facts.value->must_change_password;
    expires = facts.value->account_expires;
  }
  const auto act = [&](const std::string& what, auto change) {
    if (options_.dry_run) {
      outcome.done.push_back(what);
      return;
    }
    const std::string result = change();
    if (IsSuccess(result)) {
      outcome.done.push_back(what);
    } else {
      outcome.not_done.push_back(what + ": " + Explained(result));
    }
  };
  if (row.expiry_given && row.expires != expires) {
    act(row.expires ? "set the expiry" : "clear the expiry", [&] {
      return SetAccountExpiry(api_, server_, user, row.expires,
                              options_.events);
    });
  }
  if (row.must_change && *row.must_change != must_change) {
    act(*row.must_change ? "require a password change"
                         : "clear the password change",
        [&] {
          return SetMustChangePassword(api_, server_, user, *row.must_change,
                                       options_.events);
        });
  }
}

void Provisioning::Update(AccountRow& row, RowOutcome& outcome) {
  struct Field {
    const std::optional<std::string>* wanted;
    std::u16string_view member;
    const char* label;
  };
  const Field fields[] = {{&row.full_name, u"sFullName", "full name"},
                          {&row.comment, u"sComment", "comment"},
                          {&row.home_dir, u"sHomeDir", "home dir"},
                          {&row.script, u"sScriptPath", "script"}};
  for (const Field& field : fields) {
    if (!*field.wanted || GetText(users_, field.member) == **field.wanted) {
      continue;
    }
    Change(outcome, std::string("set ") + field.label,
           [&] { PutValue(users_, field.member, Wide(**field.wanted)); });
  }
  if (row.disabled && GetFlag(users_, u"bDisabled") != *row.disabled) {
    Change(outcome, *row.disabled ? "disable" : "enable", [&] {
      PutValue(users_, u"bDisabled", Variant::FromBool(*row.disabled));
    });
  }
  // A rerun must change nothing: the password users have set since stays,
  // unless a reset is asked for.
  if (row.password && options_.reset_passwords) {
    const automation::SecretRef shared =
        automation::Share(std::move(*row.password));
    Change(outcome, "set the password",
           [&] { PutValue(users_, u"sPassword", shared); });
  }
  ApplyLifecycle(row, outcome, false);
  for (const std::string& group : row.groups) {
    if (const std::string error = SelectGroup(group); !error.empty()) {
      outcome.not_done.push_back("add to " + group + ": " + error);
      continue;
    }
    if (!HasMember(group, row.name)) AddToGroup(row, group, outcome);
  }
}

template <typename Action>
void Provisioning::Change(RowOutcome& outcome, const std::string& what,
                          Action action) {
  if (options_.dry_run) {
    outcome.done.push_back(what);
    return;
  }
  action();
  const std::string result = LastError(users_);
  if (IsSuccess(result)) {
    outcome.done.push_back(what);
  } else {
    outcome.not_done.push_back(what + ": " + Explained(result));
  }
}

void Provisioning::AddToGroup(const AccountRow& row, const std::string& group,
                              RowOutcome& outcome) {
  const std::string what = "add to " + group;
  if (options_.dry_run) {
    outcome.done.push_back(what);
    return;
  }
  std::string error = SelectGroup(group);
  if (error.empty()) error = AddMember(group, row.name);
  if (error.empty()) {
    outcome.done.push_back("added to " + group);
  } else {
    outcome.not_done.push_back(what + ": " + error);
  }
}

std::string Provisioning::SelectGroup(const std::string& group) {
  PutValue(groups_, u"sGroupName", Wide(group));
  const std::string result = LastError(groups_);
  return IsSuccess(result) ? "" : Explained(result);
}

bool Provisioning::HasMember(const std::string& group,
                             const std::string& user) {
  auto found = members_.find(AsciiLower(group));
  if (found == members_.end()) {
    std::set<std::string> names;
    for (const std::string& name :
         CollectNames(api_, MemberBatches(api_, server_, Wide(group)), u"user")
             .names) {
      names.insert(AsciiLower(name));
    }
    found = members_.emplace(AsciiLower(group), std::move(names)).first;
  }
  return found->second.contains(AsciiLower(user));
}

std::string Provisioning::AddMember(const std::string& group,
                                    const std::string& user) {
  const automation::ObjectRef users = GetObject(groups_, u"Users");
  const bool added = CallTest(users, u"Add", {Wide(user)});
  const std::string result = LastError(users);
  // Already a member (its primary group, say): what the row asks holds.
  const std::optional<std::int32_t> status = StatusInText(result);
  if (status == netapi::NERR_UserInGroup || status == kMemberInGroup) {
    return "";
  }
  if (!IsSuccess(result) && !result.empty()) return Explained(result);
  if (!added) return "the controller did not add it";
  if (auto found = members_.find(AsciiLower(group)); found != members_.end()) {
    found->second.insert(AsciiLower(user));
  }
  return "";
}

}  // namespace corvane::tasks
