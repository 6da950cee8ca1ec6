// corvane dc DOMAIN: the controller lookup of NTDomain.sDomain, and the
// controllers found from DNS when no --server named one; with --policy,
// the domain's password policy from the platform layer instead.
#pragma once

#include "cli/commands/late_bound.h"
#include "cli/parsing/request.h"
#include "cli/report/report.h"
#include "netapi/api.h"

namespace corvane::cli {

int RunDcCommand(const Request& request, const ObjectRef& domain,
                 netapi::Api& api, Report& report);

}  // namespace corvane::cli
