// corvane dc DOMAIN: the controller lookup of NTDomain.sDomain.
#pragma once

#include "cli/late_bound.h"
#include "cli/report.h"
#include "cli/request.h"

namespace corvane::cli {

int RunDcCommand(const Request& request, const ObjectRef& domain,
                 Report& report);

}  // namespace corvane::cli
