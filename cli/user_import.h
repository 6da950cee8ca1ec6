// corvane user import / user export: accounts to and from the CSV file of
// cli/import_file.h, over one connection, through the domain's Users and
// Groups objects, so that accounts are made exactly as `user add` makes
// them.
#pragma once

#include "cli/late_bound.h"
#include "cli/report.h"
#include "cli/request.h"

namespace corvane::cli {

int RunUserImport(const Request& request, const ObjectRef& domain,
                  Report& report);
int RunUserExport(const Request& request, const ObjectRef& domain,
                  Report& report);

}  // namespace corvane::cli
