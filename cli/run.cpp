#include "cli/run.h"

#include <unistd.h>

#include <iostream>
#include <variant>

#include "automation/error.h"
#include "cli/audit_sink.h"
#include "cli/backend.h"
#include "cli/command_line.h"
#include "cli/dc_command.h"
#include "cli/exit_status.h"
#include "cli/group_commands.h"
#include "cli/invoke_command.h"
#include "cli/progress_api.h"
#include "cli/user_commands.h"
#include "domain/class_factory.h"

namespace corvane::cli {
namespace {

bool IsUserCommand(Command command) {
  return command >= Command::kUserList && command <= Command::kUserDelete;
}
bool IsGroupCommand(Command command) {
  return command >= Command::kGroupList &&
         command <= Command::kGroupRemoveMember;
}

// Everything that can be told from the command line alone, before any
// backend is opened.
void CheckRequest(const Request& request) {
  // A named controller is worked on directly; the simulated network must
  // be told which of its domains is meant.
  const GlobalOptions& options = request.options;
  if ((IsUserCommand(request.command) || IsGroupCommand(request.command)) &&
      options.domain.empty() &&
      (options.server.empty() || !options.simulate_file.empty())) {
    throw UsageError(
        "no domain: give --domain NAME (or set CORVANE_DOMAIN); the "
        "simulated demo domain is CORVANE");
  }
}

// The domain object lives only inside this call, so that its end message
// is written while the audit sink still exists.
int RunCommand(const Request& request, const ClassFactory& factory,
               Report& report) {
  const ObjectRef domain = factory.CreateObject(u"Corvane.NTDomain");
  if (request.options.log_level) {
    PutValue(domain, u"eLogging", *request.options.log_level);
  }
  if (request.command == Command::kDc) {
    return RunDcCommand(request, domain, report);
  }
  if (!request.options.domain.empty()) {
    PutValue(domain, u"sDomain", Wide(request.options.domain));
    if (const std::string result = LastError(domain); !IsSuccess(result)) {
      return report.Finish("domain " + request.options.domain, result);
    }
  }
  if (IsUserCommand(request.command)) {
    return RunUserCommand(request, domain, report);
  }
  if (IsGroupCommand(request.command)) {
    return RunGroupCommand(request, domain, report);
  }
  return RunInvoke(request, domain, report);
}

}  // namespace

int Run(int argc, const char* const* argv) {
  std::variant<Request, int> parsed = ParseCommandLine(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  Request& request = std::get<Request>(parsed);

  std::unique_ptr<Backend> backend;
  std::unique_ptr<AuditSink> audit;
  try {
    CompleteOptions(request.options);
    CheckRequest(request);
    backend = OpenBackend(request.options);
    audit = std::make_unique<AuditSink>(request.options.audit);
  } catch (const UsageError& error) {
    std::cerr << "corvane: " << error.what() << "\n";
    return kExitUsage;
  } catch (const BackendError& error) {
    std::cerr << "corvane: " << error.what() << "\n";
    return kExitFailure;
  }

  Report report(request.options.json);
  int status;
  try {
    ProgressApi api(backend->api(), ::isatty(STDERR_FILENO) != 0);
    const ClassFactory factory(common::Environment{api, *audit});
    status = RunCommand(request, factory, report);
  } catch (const UsageError& error) {
    std::cerr << "corvane: " << error.what() << "\n";
    status = kExitUsage;
  } catch (const automation::AutomationError& error) {
    status = report.AutomationFailure("corvane", error);
  }

  // Whatever the command changed is kept, also when it stopped half-way.
  try {
    backend->Finish();
  } catch (const BackendError& error) {
    std::cerr << "corvane: " << error.what() << "\n";
    status = kExitFailure;
  }
  if (status != kExitUsage) report.Print();
  return status;
}

}  // namespace corvane::cli
