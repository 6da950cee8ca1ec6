#include "tasks/every_controller.h"

#include <algorithm>
#include <unordered_map>

#include "automation/text.h"
#include "common/result_text.h"
#include "tasks/listings.h"

namespace corvane::tasks {
namespace {

std::string ErrorText(std::u16string_view action,
                      netapi::NET_API_STATUS status) {
  return automation::ToUtf8(common::FailedCall(action, status));
}

std::optional<Time> LogonTime(std::int64_t seconds) {
  if (seconds == 0) return std::nullopt;
  return Time(std::chrono::seconds(seconds));
}

}  // namespace

void LatestLogon::Merge(std::optional<Time> logon, const std::string& at) {
  if (logon && (!time || *logon > *time)) {
    time = logon;
    controller = at;
  }
}

AccountOnControllers ReadOnEveryController(
    netapi::ControllerLogons& logons,
    std::span<const DomainController> controllers, std::u16string_view name) {
  AccountOnControllers account;
  for (const DomainController& controller : controllers) {
    ControllerView& view = account.views.emplace_back();
    view.controller = controller.name;
    if (!controller.unreachable.empty()) {
      view.error = controller.unreachable;
      continue;
    }
    netapi::ControllerLogon logon;
    const netapi::NET_API_STATUS status =
        logons.ReadLogon(controller.host, name, logon);
    if (status == netapi::NERR_UserNotFound) {
      view.holds_account = false;
      continue;
    }
    if (status != netapi::NERR_Success) {
      view.error = ErrorText(u"Unable to retrieve user information", status);
      continue;
    }
    view.last_logon = LogonTime(logon.last_logon);
    view.bad_password_count = logon.bad_password_count;
    view.locked_out = logon.locked_out;
    account.latest.Merge(view.last_logon, view.controller);
  }
  return account;
}

LastLogonListing WalkLastLogons(
    netapi::Api& api, const common::BatchCall& names,
    netapi::ControllerLogons& logons,
    std::span<const DomainController> controllers,
    const std::function<void(std::string name, const LatestLogon&)>& each,
    const std::function<void()>& before_batch) {
  // Names compare as the directory compares them, ASCII letters in either
  // case; the value is the name as the first controller to know it gave it.
  struct Known {
    std::string name;
    LatestLogon latest;
  };
  std::unordered_map<std::string, Known> logged_on;
  LastLogonListing listing;
  for (const DomainController& controller : controllers) {
    if (!controller.unreachable.empty()) {
      listing.failures.push_back({controller.name, controller.unreachable});
      continue;
    }
    const netapi::NET_API_STATUS status = logons.ListLogons(
        controller.host, [&](std::span<const netapi::ControllerLogon> batch) {
          for (const netapi::ControllerLogon& logon : batch) {
            std::string name = automation::ToUtf8(logon.name);
            Known& known = logged_on[automation::AsciiLower(name)];
            if (known.name.empty()) known.name = std::move(name);
            known.latest.Merge(LogonTime(logon.last_logon), controller.name);
          }
          return true;
        });
    if (status != netapi::NERR_Success) {
      listing.failures.push_back(
          {controller.name, ErrorText(u"Unable to list logons", status)});
    }
  }
  listing.result = WalkNames(
      api, names, u"user",
      [&](std::string name) {
        const auto found = logged_on.find(automation::AsciiLower(name));
        if (found == logged_on.end()) {
          each(std::move(name), LatestLogon{});
          return;
        }
        each(std::move(name), found->second.latest);
        logged_on.erase(found);
      },
      before_batch);
  if (listing.result != "SUCCESS") return listing;
  std::vector<Known> rest;
  rest.reserve(logged_on.size());
  for (auto& [key, known] : logged_on) rest.push_back(std::move(known));
  std::sort(rest.begin(), rest.end(),
            [](const Known& a, const Known& b) { return a.name < b.name; });
  for (Known& known : rest) each(std::move(known.name), known.latest);
  return listing;
}

}  // namespace corvane::tasks
