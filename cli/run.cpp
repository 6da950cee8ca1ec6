#include "cli/run.h"

#include <unistd.h>

#include <iostream>
#include <string_view>
#include <variant>

#include "automation/error.h"
#include "cli/backends/backend.h"
#include "cli/commands/batch_command.h"
#include "cli/commands/dc_command.h"
#include "cli/commands/invoke_command.h"
#include "cli/commands/task_command.h"
#include "cli/exit_status.h"
#include "cli/inputs/import_file.h"
#include "cli/inputs/password_supply.h"
#include "cli/parsing/command_line.h"
#include "cli/report/audit_sink.h"
#include "cli/report/progress_api.h"
#include "domain/class_factory.h"
#include "netapi/call_trace.h"

namespace corvane::cli {
namespace {

// The domain object lives only inside this call, so that its end message
// is written while the audit sink still exists.
int RunCommand(const Request& request, const ClassFactory& factory,
               netapi::Api& api, Report& report, PasswordSupply& passwords,
               common::EventSink& events) {
  const ObjectRef domain = factory.CreateObject(u"Corvane.NTDomain");
  if (request.options.log_level) {
    PutValue(domain, u"eLogging", *request.options.log_level);
  }
  if (request.command == Command::kDc) {
    return RunDcCommand(request, domain, api, report);
  }
  if (!request.options.domain.empty()) {
    PutValue(domain, u"sDomain", Wide(request.options.domain));
    if (const std::string result = LastError(domain); !IsSuccess(result)) {
      return report.Finish("domain " + request.options.domain, result);
    }
  }
  if (request.command == Command::kInvoke) {
    return RunInvoke(request, domain, report, passwords);
  }
  // The changes the classes do not make are told as theirs are.
  const tasks::ChangeEvents changes{&events, GetNumber(domain, u"eLogging")};
  if (request.command == Command::kBatch) {
    return RunBatch(request, domain, api, report, passwords, changes);
  }
  return RunTaskCommand(request, domain, api, report, passwords, changes);
}

// The files a command reads (statements, batch lines, import rows), each
// checked as it is read, before anything is changed.
void ReadInputs(Request& request) {
  if (request.command == Command::kInvoke) ReadStatementFile(request);
  if (request.command == Command::kBatch) request.lines = ReadBatch(request);
  if (request.command == Command::kUserImport) {
    request.import_file = std::make_shared<ImportFile>(
        ReadImportFile(request.name, request.import.spreadsheet_safe,
                       request.import.trust_pipe));
  }
}

// With -U the logon password is the first line of standard input; a file
// read from standard input follows it, so it is read once the backend has
// asked for the password. Other files are read first, so that a mistake in
// one is found before the logon.
bool InputsAfterLogon(const Request& request) {
  return !request.options.user.empty() &&
         request.options.simulate_file.empty() &&
         request.ReadsFileFromStandardInput();
}

// --json before any "--": known before the command line is parsed, so that
// a usage error is reported as JSON too.
bool AsksForJson(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") return false;
    if (argument == "--json") return true;
  }
  return false;
}

int RunReported(int argc, const char* const* argv, Report& report) {
  Request request;
  try {
    std::variant<Request, ParseEnd> parsed = ParseCommandLine(argc, argv);
    if (const ParseEnd* ended = std::get_if<ParseEnd>(&parsed)) {
      report.OwnText(ended->text + (ended->text.ends_with('\n') ? "" : "\n"));
      if (ended->kind == ParseEnd::Kind::kVersion) {
        report.Data("version", ended->text.substr(0, ended->text.find('\n')));
        report.Data("backends", BuiltInBackends());
      } else {
        report.Data("help", ended->text);
      }
      return ended->kind == ParseEnd::Kind::kShortUsage ? kExitUsage
                                                        : kExitSuccess;
    }
    request = std::move(std::get<Request>(parsed));
    CompleteOptions(request.options);
    CheckRequest(request);
    if (!InputsAfterLogon(request)) ReadInputs(request);
  } catch (const UsageError& error) {
    return report.UsageFailure(error.what());
  }

  PasswordSupply passwords;
  std::unique_ptr<Backend> backend;
  std::unique_ptr<AuditSink> audit;
  try {
    // Passwords are read before the simulated backend takes its lock, so
    // that a prompt keeps no other command waiting; the Samba backend asks
    // for the logon password (-U) first, then the command's are read.
    const bool takes_lock = !request.options.simulate_file.empty();
    if (takes_lock) passwords = PasswordSupply::ReadFor(request);
    backend = OpenBackend(request.options, AccessFor(request));
    if (InputsAfterLogon(request)) ReadInputs(request);
    if (!takes_lock) passwords = PasswordSupply::ReadFor(request);
    audit = std::make_unique<AuditSink>(request.options.audit);
  } catch (const UsageError& error) {
    return report.UsageFailure(error.what());
  } catch (const BackendError& error) {
    return report.Fail("", error.what());
  }

  int status;
  try {
    netapi::CallTrace trace(backend->api(), std::cerr, BackendSearch());
    netapi::Api& platform =
        request.options.debug_level > 0 ? trace : backend->api();
    if (request.options.debug_level > 0) TraceBackendSearch(trace);
    ProgressApi api(platform, ::isatty(STDERR_FILENO) != 0);
    const ClassFactory factory(common::Environment{api, *audit});
    status = RunCommand(request, factory, api, report, passwords, *audit);
  } catch (const UsageError& error) {
    status = report.UsageFailure(error.what());
  } catch (const automation::AutomationError& error) {
    status = report.AutomationFailure("corvane", error);
  }

  // Whatever the command changed is kept, also when it stopped half-way.
  try {
    backend->Finish();
  } catch (const BackendError& error) {
    const int failed = report.Fail("", error.what());
    if (status != kExitUsage) status = failed;
  }
  return status;
}

}  // namespace

int Run(int argc, const char* const* argv) {
  Report report(AsksForJson(argc, argv));
  report.StreamJson();
  int status = RunReported(argc, argv, report);
  report.Print();
  return status;
}

}  // namespace corvane::cli
