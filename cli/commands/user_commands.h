// corvane user ...: the account tasks, each through the domain's Users
// object (an NTUser) by member name; `user list` walks the platform's
// batches itself, since the object's list stops at 32,767 names.
#pragma once

#include "cli/commands/late_bound.h"
#include "cli/inputs/password_supply.h"
#include "cli/parsing/request.h"
#include "cli/report/report.h"
#include "netapi/api.h"
#include "tasks/account_changes.h"

namespace corvane::cli {

// `user add` and `user password` take their password from `passwords`.
// `user show` and `user groups` read what NTUser does not give from `api`.
int RunUserCommand(const Request& request, const ObjectRef& domain,
                   netapi::Api& api, Report& report, PasswordSupply& passwords,
                   const tasks::ChangeEvents& events);

}  // namespace corvane::cli
