// A listing of any length shown as it arrives: each batch's names are
// written before the next batch is asked for, so that the first names
// appear at once and one batch is held at a time.
#pragma once

#include <string>

#include "cli/parsing/request.h"
#include "cli/report/report.h"
#include "netapi/controller_logons.h"
#include "tasks/every_controller.h"
#include "tasks/listings.h"

namespace corvane::cli {

// Shows every name under `key`; returns the result text, "SUCCESS" or the
// failure as the classes word it (`kind`: "user" or "group").
std::string ShowNames(netapi::Api& api, const common::BatchCall& next_batch,
                      Report& report, const std::string& key,
                      std::u16string_view kind);

// `user list` with filters, --long or --csv: the accounts of the level 3
// listing on `dc` that pass the filters, as names (under "users"), as
// columns (--long; objects in JSON) or as CSV with a header row, each batch
// shown before the next is asked for. Returns the exit status.
int ShowUserListing(netapi::Api& api, const std::u16string& dc,
                    const ListOptions& options, Report& report);

// `user list --last-logon`: every account listed on `dc` with its latest
// logon over `controllers` and the controller that served it, in columns,
// objects in JSON, or CSV with a header row, shown as the names arrive.
// Controllers not read are named (on standard error and under
// "controllers" in JSON) and make the exit status 1.
int ShowLastLogonListing(netapi::Api& api, const std::u16string& dc,
                         netapi::ControllerLogons& logons,
                         std::span<const tasks::DomainController> controllers,
                         bool csv, Report& report);

}  // namespace corvane::cli
