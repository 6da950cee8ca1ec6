#include "cli/commands/user_commands.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <memory>

#include "automation/text.h"
#include "cli/backends/backend.h"
#include "cli/exit_status.h"
#include "cli/report/password_file.h"
#include "cli/report/streamed_names.h"
#include "cli/report/times.h"
#include "netapi/sid_text.h"
#include "tasks/account_changes.h"
#include "tasks/account_facts.h"
#include "tasks/every_controller.h"
#include "tasks/generated_password.h"
#include "tasks/listed_logons.h"

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
  report.Field(key, label, LocalTimeOrNever(time), JsonTime(time));
}

// When the lifecycle options say the account expires: none for never.
std::optional<tasks::Time> ExpiryOf(const Lifecycle& lifecycle) {
  if (lifecycle.expires) {
    std::optional<tasks::Time> end = EndOfLocalDay(*lifecycle.expires);
    if (!end) {
      throw UsageError("--expires " + *lifecycle.expires +
                       ": not a date from 1970 to 2105; give YYYY-MM-DD");
    }
    return end;
  }
  if (lifecycle.days) {
    const auto now = std::chrono::time_point_cast<std::chrono::seconds>(
        std::chrono::system_clock::now());
    return tasks::Time(now + std::chrono::days(*lifecycle.days));
  }
  return std::nullopt;
}

// Shows a generated password once, on the terminal, outside the report, so
// that it reaches no JSON document and no audit copy.
bool ShowOnTerminal(const std::string& user,
                    const automation::Secret& password) {
  std::optional<automation::SecretUtf8> text =
      automation::ToUtf8Secret(password.view());
  if (!text) return false;
  automation::SecretUtf8 line(std::string_view(
      "password for " + automation::EscapeControls(user) + ": "));
  for (const char c : text->view()) line.push_back(c);
  line.push_back('\n');
  std::string_view left = line.view();
  while (!left.empty()) {
    const ssize_t wrote = ::write(STDOUT_FILENO, left.data(), left.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    left.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
}

class UserTask {
 public:
  UserTask(const Request& request, const ObjectRef& domain, netapi::Api& api,
           Report& report, PasswordSupply& passwords,
           const tasks::ChangeEvents& events)
      : request_(request),
        passwords_(passwords),
        events_(events),
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
      case Command::kUserRename:
        return Rename();
      case Command::kUserSid:
        if (automation::AsciiLower(request_.sid_format) == "sddl") {
          return SddlSid();
        }
        break;
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
  std::u16string Dc() { return Wide(GetText(domain_, u"sDC")); }

  // Applies the expiry and must-change options after the account's other
  // changes; the first failure's text, or "SUCCESS".
  std::string ApplyLifecycle() {
    const Lifecycle& lifecycle = request_.lifecycle;
    if (lifecycle.expiry_given()) {
      const std::string result = tasks::SetAccountExpiry(
          api_, Dc(), Wide(request_.name), ExpiryOf(lifecycle), events_);
      if (!IsSuccess(result)) return result;
    }
    if (lifecycle.must_change) {
      const std::string result = tasks::SetMustChangePassword(
          api_, Dc(), Wide(request_.name), *lifecycle.must_change, events_);
      if (!IsSuccess(result)) return result;
    }
    return "SUCCESS";
  }

  int Rename() {
    const std::string result = tasks::RenameUser(
        api_, Dc(), Wide(request_.name), Wide(request_.new_name), events_);
    report_.Data("user", request_.name);
    report_.Data("newName", request_.new_name);
    return report_.Finish(context_, result);
  }

  // The open backend's way of asking every controller, else the platform
  // layer's.
  netapi::ControllerLogons& Logons() {
    netapi::ControllerLogons* own = BackendLogons();
    return own != nullptr ? *own : listed_logons_;
  }

  int List() {
    if (request_.list.last_logon) {
      std::vector<tasks::DomainController> controllers;
      try {
        controllers =
            EveryController(request_.options, GetText(domain_, u"sDC"));
      } catch (const BackendError& error) {
        return report_.Fail("user list --last-logon", error.what());
      }
      return ShowLastLogonListing(api_, Dc(), Logons(), controllers,
                                  request_.list.csv, report_);
    }
    if (request_.list.any()) {
      return ShowUserListing(api_, Dc(), request_.list, report_);
    }
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
    std::optional<tasks::AccountOnControllers> every;
    if (request_.all_controllers) {
      try {
        every = tasks::ReadOnEveryController(
            Logons(),
            EveryController(request_.options, GetText(domain_, u"sDC")),
            Wide(request_.name));
      } catch (const BackendError& error) {
        return report_.Fail(context_ + " --all-dcs", error.what());
      }
    }
    if (every) {
      TimeField(report_, "lastLogon", "last logon", every->latest.time);
      report_.Field("lastLogonController", "last logon at",
                    every->latest.time ? every->latest.controller : "-",
                    every->latest.time
                        ? nlohmann::ordered_json(every->latest.controller)
                        : nlohmann::ordered_json(nullptr));
    } else {
      TimeField(report_, "lastLogon", "last logon", facts.last_logon);
    }
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
    if (every) return ShowControllerViews(every->views);
    return report_.Finish(context_, "SUCCESS");
  }

  // What each controller told of the account, one line each; a
  // controller that could not be asked is named and fails the command.
  int ShowControllerViews(const std::vector<tasks::ControllerView>& views) {
    nlohmann::ordered_json json = nlohmann::ordered_json::array();
    std::string unread;
    report_.Line("on each controller:");
    for (const tasks::ControllerView& view : views) {
      if (!view.error.empty()) {
        report_.Line("  " + view.controller + ": not read: " + view.error);
        json.push_back({{"name", view.controller}, {"error", view.error}});
        unread +=
            (unread.empty() ? "" : "; ") + view.controller + ": " + view.error;
        continue;
      }
      if (!view.holds_account) {
        report_.Line("  " + view.controller +
                     ": does not hold the account (not replicated yet)");
        json.push_back({{"name", view.controller}, {"holdsAccount", false}});
        continue;
      }
      report_.Line("  " + view.controller + ": last logon " +
                   LocalTimeOrNever(view.last_logon) + ", bad password count " +
                   std::to_string(view.bad_password_count) + ", locked out " +
                   (view.locked_out ? "yes" : "no"));
      json.push_back({{"name", view.controller},
                      {"lastLogon", JsonTime(view.last_logon)},
                      {"badPasswordCount", view.bad_password_count},
                      {"lockedOut", view.locked_out}});
    }
    report_.Data("controllers", std::move(json));
    if (!unread.empty()) {
      return report_.Fail(context_ + " --all-dcs",
                          "not every controller could be asked: " + unread);
    }
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
    // Checked before anything is made: the account needs its expiry.
    if (request_.lifecycle.expiry_given()) ExpiryOf(request_.lifecycle);
    std::unique_ptr<PasswordFile> file;
    if (request_.random_password && !request_.password_file.empty()) {
      file = std::make_unique<PasswordFile>(request_.password_file,
                                            "--write-password");
    }
    const automation::SecretRef password =
        automation::Share(request_.random_password ? tasks::GeneratePassword()
                                                   : passwords_.Take());
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
    if (!created) {
      // The file made for its password stays empty: it goes, so that the
      // same command can run again.
      if (file) ::unlink(request_.password_file.c_str());
      if (IsSuccess(result)) {
        return report_.Fail(context_, "the account was not created");
      }
      return report_.Finish(context_, result);
    }
    // Made: its password is handed over whatever followed.
    if (request_.random_password) {
      if (file) {
        if (!file->Keep(request_.name, *password)) {
          return report_.Fail(context_ + ": account created, but",
                              "its password could not be written to " +
                                  request_.password_file +
                                  "; set one with user password");
        }
        report_.Data("passwordWrittenTo", request_.password_file);
        report_.Line("password written to " + request_.password_file);
      } else if (!ShowOnTerminal(request_.name, *password)) {
        return report_.Fail(context_ + ": account created, but",
                            "its password could not be shown; set one with "
                            "user password");
      }
    }
    if (!IsSuccess(result)) {
      return report_.Finish(context_ + ": account created, but", result);
    }
    const std::string lifecycle = ApplyLifecycle();
    if (!IsSuccess(lifecycle)) {
      return report_.Finish(context_ + ": account created, but", lifecycle);
    }
    return report_.Finish(context_, result);
  }

  int Set() {
    const UserFields& fields = request_.fields;
    if (!fields.any() && !request_.lifecycle.any()) {
      throw UsageError(
          "nothing to change: give --full-name, --comment, --home-dir, "
          "--script, --expires, --days, --no-expiry or "
          "--[no-]must-change-at-next-login");
    }
    if (request_.lifecycle.expiry_given()) ExpiryOf(request_.lifecycle);
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
    report_.Data("user", request_.name);
    return report_.Finish(context_, ApplyLifecycle());
  }

  int ChangePassword() {
    PutValue(users_, u"sPassword", automation::Share(passwords_.Take()));
    const std::string result = LastError(users_);
    report_.Data("user", request_.name);
    if (!IsSuccess(result)) return report_.Finish(context_, result);
    return report_.Finish(context_, ApplyLifecycle());
  }

  // S-1-5-..., from the account's record: one call.
  int SddlSid() {
    const tasks::Read<std::vector<netapi::BYTE>> read =
        tasks::ReadUserSid(api_, Dc(), Wide(request_.name));
    if (!read.value) return report_.Finish(context_, read.error);
    if (read.value->empty()) {
      return report_.Fail(context_, "the controller returned no SID");
    }
    report_.Value("sid", netapi::SidText(*read.value));
    return report_.Finish(context_, "SUCCESS");
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
  const tasks::ChangeEvents& events_;
  ObjectRef domain_;
  netapi::Api& api_;
  ObjectRef users_;
  Report& report_;
  std::string context_;
  tasks::ListedLogons listed_logons_{api_};
};

}  // namespace

int RunUserCommand(const Request& request, const ObjectRef& domain,
                   netapi::Api& api, Report& report, PasswordSupply& passwords,
                   const tasks::ChangeEvents& events) {
  return UserTask(request, domain, api, report, passwords, events).Run();
}

}  // namespace corvane::cli
