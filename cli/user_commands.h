// corvane user ...: the account tasks, each through the domain's Users
// object (an NTUser) by member name.
#pragma once

#include "cli/late_bound.h"
#include "cli/report.h"
#include "cli/request.h"

namespace corvane::cli {

int RunUserCommand(const Request& request, const ObjectRef& domain,
                   Report& report);

}  // namespace corvane::cli
