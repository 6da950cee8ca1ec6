#include "cli/commands/user_commands.h"

#include "automation/text.h"
#include "cli/exit_status.h"
#include "cli/report/streamed_names.h"
#include "cli/report/times.h"
#include "netapi/sid_text.h"
#include "tasks/account_facts.h"

namespace corvane::cli {
namespace {

std::string PrivilegeName(std::int32_t level) {
  switch (level) {
    case 0:
      return "guest";
    case 1:
      return "user";
    case 2:
      return "admin";
  }
  return std::to_string(level);
}

// A time field: local time in text, ISO 8601 (UTC) in JSON, "never" and
// null when there is none.
void TimeField(Report& report, const std::string& key, const std::string& label,
               std::optional<tasks::Time> time) {
  if (time) {
    report.Field(key, label, LocalTime(*time), IsoTime(*time));
  } else {
    report.Field(key, label, "never", nullptr);
  }
}

class UserTask {
 public:
  UserTask(const Request& request, const ObjectRef& domain, netapi::Api& api,
           Report& report, PasswordSupply& passwords)
      : request_(request),
        passwords_(passwords),
        domain_(domain),
        api_(api),
        users_(GetObject(domain, u"Users")),
        report_(report),
        context_("user " + request.name) {}

  int Run() {
    switch (request_.command) {
      case Command::kUserList:
        return List();
      case Command::kUserAdd:
        return Add();
      // Read straight from the platform: the account's record once.
      case Command::kUserShow:
        return Show();
      case Command::kUserGroups:
        return Groups();
      default:
        break;
    }
    if (const int status = Select(); status != kExitSuccess) return status;
    switch (request_.command) {
      case Command::kUserSet:
        return Set();
      case Command::kUserPassword:
        return ChangePassword();
      case Command::kUserDisable:
        PutValue(users_, u"bDisabled", Variant::FromBool(true));
        return Done();
      case Command::kUserEnable:
        PutValue(users_, u"bDisabled", Variant::FromBool(false));
        return Done();
      case Command::kUserUnlock:
        CallMethod(users_, u"UnlockAccount");
        return Done();
      case Command::kUserSid:
        return Sid();
      case Command::kUserDelete:
        return Delete();
      default:
        throw UsageError("not a user command");
    }
  }

 private:
  int List() {
    const std::string result = ShowNames(
        api_, tasks::UserBatches(api_, Wide(GetText(domain_, u"sDC"))), report_,
        "users", u"user");
    return report_.Finish("user list", result);
  }

  int Select() {
    PutValue(users_, u"sUserName", Wide(request_.name));
    return report_.Finish(context_, LastError(users_));
  }

  int Done() {
    report_.Data("user", request_.name);
    return report_.Finish(context_, LastError(users_));
  }

  int Show() {
    const tasks::Read<tasks::AccountFacts> read = tasks::ReadAccountFacts(
        api_, Wide(GetText(domain_, u"sDC")), Wide(request_.name));
    if (!read.value) return report_.Finish(context_, read.error);
    report_.Finish(context_, "SUCCESS");
    const tasks::AccountFacts& facts = *read.value;
    // The name as given, as the classes keep it.
    report_.Field("name", "name", request_.name);
    report_.Field("fullName", "full name", Narrow(facts.full_name));
    report_.Field("comment", "comment", Narrow(facts.comment));
    report_.Field("homeDir", "home dir", Narrow(facts.home_dir));
    report_.Field("scriptPath", "script", Narrow(facts.script_path));
    const auto privilege = static_cast<std::int32_t>(facts.privilege);
    report_.Field("privilege", "privilege", PrivilegeName(privilege));
    report_.Data("privilegeLevel", privilege);
    report_.Field("disabled", "disabled", facts.disabled);
    report_.Field("lockedOut", "locked out", facts.locked_out);
    TimeField(report_, "lastLogon", "last logon", facts.last_logon);
    TimeField(report_, "passwordLastSet", "password last set",
              facts.password_last_set);
    TimeField(report_, "passwordExpires", "password expires",
              facts.password_expires);
    TimeField(report_, "accountExpires", "account expires",
              facts.account_expires);
    report_.Field("mustChangePassword", "must change password",
                  facts.must_change_password);
    report_.Field("badPasswordCount", "bad password count",
                  facts.bad_password_count);
    report_.Field("primaryGroup", "primary group", Narrow(facts.primary_group));
    report_.Data("primaryGroupId", facts.primary_group_id);
    report_.Field("sid", "sid", netapi::SidText(facts.sid));
    return report_.Finish(context_, "SUCCESS");
  }

  // The listed groups and the primary one; text marks it, JSON names it
  // apart.
  int Groups() {
    const tasks::Read<tasks::UserGroups> read = tasks::ReadUserGroups(
        api_, Wide(GetText(domain_, u"sDC")), Wide(request_.name));
    if (!read.value) return report_.Finish(context_, read.error);
    report_.Finish(context_, "SUCCESS");
    const tasks::UserGroups& groups = *read.value;
    std::vector<std::string> json;
    for (const std::u16string& name : groups.names) {
      json.push_back(Narrow(name));
      report_.Line(json.back() + (name == groups.primary ? " (primary)" : ""));
    }
    report_.Data("groups", json);
    report_.Data("primaryGroup", Narrow(groups.primary));
    report_.Data("user", request_.name);
    return report_.Finish(context_, "SUCCESS");
  }

  int Add() {
    const UserFields& fields = request_.fields;
    const automation::SecretRef password = automation::Share(passwords_.Take());
    std::vector<Variant> args = {Wide(request_.name),
                                 password,
                                 Wide(fields.home_dir.value_or("")),
                                 Wide(fields.comment.value_or("")),
                                 Wide(fields.script.value_or("")),
                                 Wide(fields.full_name.value_or("")),
                                 request_.privilege,
                                 Variant::FromBool(request_.disabled)};
    const bool created = CallTest(users_, u"Add", std::move(args));
    const std::string result = LastError(users_);
    report_.Data("user", request_.name);
    report_.Data("created", created);
    if (!created && IsSuccess(result)) {
      return report_.Fail(context_, "the account was not created");
    }
    if (created && !IsSuccess(result)) {
      return report_.Finish(context_ + ": account created, but", result);
    }
    return report_.Finish(context_, result);
  }

  int Set() {
    const UserFields& fields = request_.fields;
    if (!fields.any()) {
      throw UsageError(
          "nothing to change: give --full-name, --comment, --home-dir or "
          "--script");
    }
    const std::pair<const std::optional<std::string>*, std::u16string_view>
        changes[] = {{&fields.full_name, u"sFullName"},
                     {&fields.comment, u"sComment"},
                     {&fields.home_dir, u"sHomeDir"},
                     {&fields.script, u"sScriptPath"}};
    for (const auto& [value, member] : changes) {
      if (!*value) continue;
      PutValue(users_, member, Wide(**value));
      const std::string result = LastError(users_);
      if (!IsSuccess(result)) return report_.Finish(context_, result);
    }
    return Done();
  }

  int ChangePassword() {
    PutValue(users_, u"sPassword", automation::Share(passwords_.Take()));
    return Done();
  }

  int Sid() {
    const std::string sid = GetText(users_, u"sSID");
    const std::string result = LastError(users_);
    if (!IsSuccess(result)) return report_.Finish(context_, result);
    if (sid.empty()) {
      return report_.Fail(context_, "the controller returned no SID");
    }
    report_.Value("sid", sid);
    return report_.Finish(context_, result);
  }

  int Delete() {
    const bool deleted = CallTest(users_, u"Delete");
    const std::string result = LastError(users_);
    if (!deleted && IsSuccess(result)) {
      return report_.Fail(context_, "the account was not deleted");
    }
    return Done();
  }

  const Request& request_;
  PasswordSupply& passwords_;
  ObjectRef domain_;
  netapi::Api& api_;
  ObjectRef users_;
  Report& report_;
  std::string context_;
};

}  // namespace

int RunUserCommand(const Request& request, const ObjectRef& domain,
                   netapi::Api& api, Report& report,
                   PasswordSupply& passwords) {
  return UserTask(request, domain, api, report, passwords).Run();
}

}  // namespace corvane::cli
