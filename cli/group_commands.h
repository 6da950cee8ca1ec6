// corvane group ...: the global-group tasks, each through the domain's
// Groups object (an NTGroup) and the group's own Users object by member
// name.
#pragma once

#include "cli/late_bound.h"
#include "cli/report.h"
#include "cli/request.h"

namespace corvane::cli {

int RunGroupCommand(const Request& request, const ObjectRef& domain,
                    Report& report);

}  // namespace corvane::cli
