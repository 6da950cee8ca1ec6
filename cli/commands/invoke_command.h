// corvane invoke: the generic late-bound mode. Each statement is a member
// path evaluated on one NTDomain object, in order, exactly as a script's
// late-bound calls would be; evaluation stops at the first statement that
// leaves an error text in its object's sLastError or raises an automation
// error, unless --keep-going asks for every statement to run.
#pragma once

#include "cli/commands/late_bound.h"
#include "cli/inputs/password_supply.h"
#include "cli/parsing/request.h"
#include "cli/report/report.h"

namespace corvane::cli {

// How many passwords (@password) the statements hand to their calls, so
// that they can be read before anything runs. Throws UsageError for a
// statement that cannot be parsed or gives a password literally.
std::size_t PasswordsUsedBy(const Request& request);

// Puts the statements of request.statements_file (-f) before those of the
// command line. Throws UsageError when the file cannot be read or there is
// no statement at all.
void ReadStatementFile(Request& request);

// Each @password takes the next password from `passwords`.
int RunInvoke(const Request& request, const ObjectRef& domain, Report& report,
              PasswordSupply& passwords);

}  // namespace corvane::cli
