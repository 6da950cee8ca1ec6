#include "cli/commands/task_command.h"

#include <unistd.h>

#include "cli/commands/account_files.h"
#include "cli/commands/group_commands.h"
#include "cli/commands/user_commands.h"
#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

bool IsUserCommand(Command command) {
  return command >= Command::kUserList && command <= Command::kUserExport;
}
bool IsGroupCommand(Command command) {
  return command >= Command::kGroupList && command <= Command::kGroupRename;
}

}  // namespace

bool IsTaskCommand(Command command) {
  return IsUserCommand(command) || IsGroupCommand(command);
}

void CheckRequest(const Request& request) {
  // A named controller is worked on directly; the simulated network must
  // be told which of its domains is meant.
  const GlobalOptions& options = request.options;
  const bool needs_domain =
      IsTaskCommand(request.command) || request.command == Command::kBatch;
  if (needs_domain && options.domain.empty() && options.server.empty() &&
      options.simulate_file.empty() && options.realm.empty()) {
    // A first run: all that can be given, at once.
    throw UsageError(
        "no domain: to work on one, give --server HOST and --domain NAME (or "
        "--realm REALM), with -U USER, -A FILE or a Kerberos ticket from "
        "kinit; to try corvane without one, give --simulate FILE --domain "
        "CORVANE (a simulated demo domain kept in FILE)");
  }
  if (needs_domain && options.domain.empty() &&
      (options.server.empty() || !options.simulate_file.empty())) {
    throw UsageError(
        "no domain: give --domain NAME (or set CORVANE_DOMAIN); the "
        "simulated demo domain is CORVANE");
  }
  if (!request.password_file.empty() && !request.random_password) {
    throw UsageError("--write-password goes with --random-password");
  }
  // A generated password is shown only on a terminal, never in JSON.
  if (request.random_password && request.password_file.empty() &&
      (options.json || ::isatty(STDOUT_FILENO) == 0)) {
    throw UsageError(
        "--random-password shows the password only on a terminal (never in "
        "JSON or a pipe); give --write-password FILE to have it written to "
        "a new mode 600 file");
  }
  if (request.list.csv && options.json) {
    throw UsageError("--csv and --json are two formats: give one");
  }
}

int RunTaskCommand(const Request& request, const ObjectRef& domain,
                   netapi::Api& api, Report& report, PasswordSupply& passwords,
                   const tasks::ChangeEvents& events) {
  if (request.command == Command::kUserImport) {
    return RunUserImport(request, domain, api, report, events);
  }
  if (request.command == Command::kUserExport) {
    return RunUserExport(request, domain, api, report);
  }
  if (IsUserCommand(request.command)) {
    return RunUserCommand(request, domain, api, report, passwords, events);
  }
  if (IsGroupCommand(request.command)) {
    return RunGroupCommand(request, domain, api, report, events);
  }
  throw UsageError("not a user or group command");
}

}  // namespace corvane::cli
