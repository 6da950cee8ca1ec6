// corvane invoke: the generic late-bound mode. Each statement is a member
// path evaluated on one NTDomain object, in order, exactly as a script's
// late-bound calls would be; evaluation stops at the first statement that
// leaves an error text in its object's sLastError or raises an automation
// error.
#pragma once

#include "cli/late_bound.h"
#include "cli/report.h"
#include "cli/request.h"

namespace corvane::cli {

int RunInvoke(const Request& request, const ObjectRef& domain, Report& report);

}  // namespace corvane::cli
