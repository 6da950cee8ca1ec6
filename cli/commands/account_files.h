// corvane user import / user export: accounts to and from the CSV file of
// cli/import_file.h, over one connection, through the domain's Users and
// Groups objects, so that accounts are made exactly as `user add` makes
// them.
#pragma once

#include "cli/commands/late_bound.h"
#include "cli/parsing/request.h"
#include "cli/report/report.h"
#include "netapi/api.h"
#include "tasks/account_changes.h"

namespace corvane::cli {

// `api` lists members and accounts batch by batch, any number of them.
// `events`: where the expiry and must-change changes are told.
int RunUserImport(const Request& request, const ObjectRef& domain,
                  netapi::Api& api, Report& report,
                  const tasks::ChangeEvents& events);
int RunUserExport(const Request& request, const ObjectRef& domain,
                  netapi::Api& api, Report& report);

}  // namespace corvane::cli
