// What only every controller together knows of an account: each keeps the
// logons it served and the bad passwords it saw, so the last logon is the
// latest over all of them, and the rest is told controller by controller.
// Each controller is asked once for a listing, never once per account.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/name_listing.h"
#include "netapi/api.h"
#include "netapi/controller_logons.h"
#include "tasks/account_facts.h"

namespace corvane::tasks {

// A controller of the domain: the name shown, the host asked, and why it
// is passed over when it did not answer (empty when it did).
struct DomainController {
  std::string name;
  std::string host;
  std::string unreachable;
};

// One controller's view of an account, or why it gave none.
struct ControllerView {
  std::string controller;
  std::optional<Time> last_logon;
  netapi::DWORD bad_password_count = 0;
  bool locked_out = false;
  // False where the controller has no such account (not replicated yet).
  bool holds_account = true;
  std::string error;  // empty when read
};

// The latest logon and the controller that served it; none for never.
struct LatestLogon {
  std::optional<Time> time;
  std::string controller;
  // Takes `logon`, served by `at`, when it is later than this one.
  void Merge(std::optional<Time> logon, const std::string& at);
};

struct AccountOnControllers {
  std::vector<ControllerView> views;  // in the controllers' order
  LatestLogon latest;                 // over the views that were read
};

// The account `name` as each controller tells it.
AccountOnControllers ReadOnEveryController(
    netapi::ControllerLogons& logons,
    std::span<const DomainController> controllers, std::u16string_view name);

// A controller whose logons could not be read, and why.
struct ControllerFailure {
  std::string controller;
  std::string error;
};
struct LastLogonListing {
  std::string result;  // of the names' listing
  std::vector<ControllerFailure> failures;
};

// Every account of the listing `names` with its latest logon over the
// controllers: each controller's logons are read first (only accounts that
// logged on there, so that memory follows the logons kept, not the
// domain), then the names are walked and handed to `each` as they arrive;
// accounts a controller knows and the listing does not (not replicated
// yet) follow at the end.
LastLogonListing WalkLastLogons(
    netapi::Api& api, const common::BatchCall& names,
    netapi::ControllerLogons& logons,
    std::span<const DomainController> controllers,
    const std::function<void(std::string name, const LatestLogon&)>& each,
    const std::function<void()>& before_batch = {});

}  // namespace corvane::tasks
