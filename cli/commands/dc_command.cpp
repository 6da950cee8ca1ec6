#include "cli/commands/dc_command.h"

#include <chrono>

#include "cli/backends/backend.h"
#include "tasks/account_facts.h"

namespace corvane::cli {
namespace {

// The controllers found from DNS, in the order they were tried: one line
// each after the controller's name ("HOST ADDRESS STATE"), and in JSON
// `realm`, `query` and `controllers`.
void ReportLocation(const ControllerLocation& location, Report& report) {
  nlohmann::ordered_json controllers = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < location.controllers.size(); ++i) {
    const FoundController& controller = location.controllers[i];
    const bool used =
        i == location.used && controller.tried && controller.unanswered.empty();
    const std::string state = used ? "used"
                              : !controller.tried
                                  ? "not tried"
                                  : "not answering: " + controller.unanswered;
    report.Line(controller.host_name + " " +
                (controller.address.empty() ? "-" : controller.address) + " " +
                state);
    controllers.push_back(
        {{"host_name", controller.host_name},
         {"address", controller.address},
         {"tried", controller.tried},
         {"answered", controller.tried && controller.unanswered.empty()},
         {"used", used},
         {"reason", controller.unanswered}});
  }
  report.Data("realm", location.realm);
  report.Data("query", location.query);
  report.Data("controllers", std::move(controllers));
}

// An age in whole days, or "never" (null in JSON).
void AgeField(Report& report, const std::string& key, const std::string& label,
              std::optional<std::chrono::seconds> age) {
  if (!age) {
    report.Field(key, label, "never", nullptr);
    return;
  }
  const auto days = std::chrono::duration_cast<std::chrono::days>(*age).count();
  report.Field(key, label, std::to_string(days) + " days", age->count());
}

// The domain's password policy, as its controller `dc` gives it.
int ReportPolicy(const Request& request, netapi::Api& api,
                 const std::string& dc, Report& report) {
  const tasks::Read<tasks::PasswordPolicyFacts> policy =
      tasks::ReadPasswordPolicy(api, Wide(dc));
  if (!policy.value) {
    return report.Finish("domain " + request.name, policy.error);
  }
  report.Field("dc", "dc", dc);
  report.Field("minPasswordLength", "minimum password length",
               policy.value->min_length);
  report.Field("passwordHistoryLength", "password history length",
               policy.value->history_length);
  AgeField(report, "maxPasswordAge", "maximum password age",
           policy.value->max_age);
  AgeField(report, "minPasswordAge", "minimum password age",
           policy.value->min_age);
  return report.Finish("domain " + request.name, "SUCCESS");
}

}  // namespace

int RunDcCommand(const Request& request, const ObjectRef& domain,
                 netapi::Api& api, Report& report) {
  PutValue(domain, u"sDomain", Wide(request.name));
  const std::string result = LastError(domain);
  report.Data("domain", request.name);
  if (IsSuccess(result) && request.dc_policy) {
    return ReportPolicy(request, api, GetText(domain, u"sDC"), report);
  }
  if (IsSuccess(result)) report.Value("dc", GetText(domain, u"sDC"));
  if (const ControllerLocation* location = FoundControllers()) {
    ReportLocation(*location, report);
  }
  return report.Finish("domain " + request.name, result);
}

}  // namespace corvane::cli
