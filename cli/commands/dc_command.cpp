#include "cli/commands/dc_command.h"

#include "cli/backends/backend.h"

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

}  // namespace

int RunDcCommand(const Request& request, const ObjectRef& domain,
                 Report& report) {
  PutValue(domain, u"sDomain", Wide(request.name));
  const std::string result = LastError(domain);
  report.Data("domain", request.name);
  if (IsSuccess(result)) report.Value("dc", GetText(domain, u"sDC"));
  if (const ControllerLocation* location = FoundControllers()) {
    ReportLocation(*location, report);
  }
  return report.Finish("domain " + request.name, result);
}

}  // namespace corvane::cli
