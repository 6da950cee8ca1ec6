// Every account of the domain as a row (tasks/account_rows.h), with the
// groups it belongs to, for a bulk export that a bulk import reads back.
#pragma once

#include <functional>
#include <string>

#include "automation/dispatch.h"
#include "netapi/api.h"
#include "tasks/account_rows.h"

namespace corvane::tasks {

struct ExportResult {
  // "SUCCESS", or the failed call's text, and what was being read then
  // ("groups", "group Sales", "user bob"; empty for the list of accounts).
  std::string result;
  std::string reading;
};

// Hands each account's row to `each`, in the order the controller lists
// them; the rows have no password and no line.
ExportResult ExportAccounts(const automation::ObjectRef& domain,
                            netapi::Api& api,
                            const std::function<void(AccountRow row)>& each);

}  // namespace corvane::tasks
