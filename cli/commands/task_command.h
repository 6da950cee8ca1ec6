// The task commands (user ..., group ...), checked and carried out the same
// way whether they come from the command line or from a batch line.
#pragma once

#include "cli/commands/late_bound.h"
#include "cli/inputs/password_supply.h"
#include "cli/parsing/request.h"
#include "cli/report/report.h"
#include "netapi/api.h"
#include "tasks/account_changes.h"

namespace corvane::cli {

bool IsTaskCommand(Command command);

// Everything that can be told from the request alone, before any backend
// is opened. Throws UsageError.
void CheckRequest(const Request& request);

// Runs a user or group command on `domain`, whose sDomain is already set;
// listings walk `api` directly.
// `events`: where the changes the classes do not make are told.
int RunTaskCommand(const Request& request, const ObjectRef& domain,
                   netapi::Api& api, Report& report, PasswordSupply& passwords,
                   const tasks::ChangeEvents& events);

}  // namespace corvane::cli
