// corvane batch: task-command lines run one after another on one domain
// object, so on one connection. Every line is read and checked before the
// first runs; a failed line stops the batch unless --keep-going is given.
#pragma once

#include "cli/commands/late_bound.h"
#include "cli/inputs/password_supply.h"
#include "cli/parsing/request.h"
#include "cli/report/report.h"
#include "netapi/api.h"
#include "tasks/account_changes.h"

namespace corvane::cli {

// The lines of request.batch_file, each parsed as a command line and given
// the batch's own options. Throws UsageError naming the first line that
// cannot run.
std::vector<BatchLine> ReadBatch(const Request& request);

// Runs request.lines on `domain`; each line's passwords come from
// `passwords` in order.
int RunBatch(const Request& request, const ObjectRef& domain, netapi::Api& api,
             Report& report, PasswordSupply& passwords,
             const tasks::ChangeEvents& events);

}  // namespace corvane::cli
