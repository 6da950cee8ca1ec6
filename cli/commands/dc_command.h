// corvane dc DOMAIN: the controller lookup of NTDomain.sDomain, and the
// controllers found from DNS when no --server named one.
#pragma once

#include "cli/commands/late_bound.h"
#include "cli/parsing/request.h"
#include "cli/report/report.h"

namespace corvane::cli {

int RunDcCommand(const Request& request, const ObjectRef& domain,
                 Report& report);

}  // namespace corvane::cli
