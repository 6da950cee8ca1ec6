#include "cli/task_command.h"

#include "cli/exit_status.h"
#include "cli/group_commands.h"
#include "cli/user_commands.h"

namespace corvane::cli {
namespace {

bool IsUserCommand(Command command) {
  return command >= Command::kUserList && command <= Command::kUserDelete;
}
bool IsGroupCommand(Command command) {
  return command >= Command::kGroupList &&
         command <= Command::kGroupRemoveMember;
}

}  // namespace

bool IsTaskCommand(Command command) {
  return IsUserCommand(command) || IsGroupCommand(command);
}

void CheckRequest(const Request& request) {
  // A named controller is worked on directly; the simulated network must
  // be told which of its domains is meant.
  const GlobalOptions& options = request.options;
  if ((IsTaskCommand(request.command) || request.command == Command::kBatch) &&
      options.domain.empty() &&
      (options.server.empty() || !options.simulate_file.empty())) {
    throw UsageError(
        "no domain: give --domain NAME (or set CORVANE_DOMAIN); the "
        "simulated demo domain is CORVANE");
  }
}

int RunTaskCommand(const Request& request, const ObjectRef& domain,
                   Report& report, PasswordSupply& passwords) {
  if (IsUserCommand(request.command)) {
    return RunUserCommand(request, domain, report, passwords);
  }
  if (IsGroupCommand(request.command)) {
    return RunGroupCommand(request, domain, report);
  }
  throw UsageError("not a user or group command");
}

}  // namespace corvane::cli
