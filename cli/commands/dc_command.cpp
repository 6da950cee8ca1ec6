#include "cli/commands/dc_command.h"

namespace corvane::cli {

int RunDcCommand(const Request& request, const ObjectRef& domain,
                 Report& report) {
  PutValue(domain, u"sDomain", Wide(request.name));
  const std::string result = LastError(domain);
  report.Data("domain", request.name);
  if (IsSuccess(result)) report.Value("dc", GetText(domain, u"sDC"));
  return report.Finish("domain " + request.name, result);
}

}  // namespace corvane::cli
