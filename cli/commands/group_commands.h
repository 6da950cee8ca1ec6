// corvane group ...: the global-group tasks, each through the domain's
// Groups object (an NTGroup) and the group's own Users object by member
// name; `group list` and `group members` walk the platform's batches
// themselves, showing each batch as it arrives.
#pragma once

#include "cli/commands/late_bound.h"
#include "cli/parsing/request.h"
#include "cli/report/report.h"
#include "netapi/api.h"
#include "tasks/account_changes.h"

namespace corvane::cli {

int RunGroupCommand(const Request& request, const ObjectRef& domain,
                    netapi::Api& api, Report& report,
                    const tasks::ChangeEvents& events);

}  // namespace corvane::cli
