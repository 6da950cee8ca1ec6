#include "cli/commands/batch_command.h"

#include "automation/error.h"
#include "cli/commands/task_command.h"
#include "cli/exit_status.h"
#include "cli/inputs/command_file.h"
#include "cli/parsing/command_line.h"

namespace corvane::cli {
namespace {

Request ParseLine(const Request& batch, const std::string& text) {
  Request request = ParseBatchLine(SplitWords(text));
  // `dc` would point the batch's one domain object at another domain.
  if (!IsTaskCommand(request.command)) {
    throw UsageError("only user and group commands run in a batch");
  }
  request.options = batch.options;
  CheckRequest(request);
  return request;
}

}  // namespace

std::vector<BatchLine> ReadBatch(const Request& request) {
  std::vector<BatchLine> lines;
  for (CommandFileLine& line :
       ReadCommandFile(request.batch_file, Quoting::kShell)) {
    try {
      Request parsed = ParseLine(request, line.text);
      lines.push_back({line.number, std::move(line.text), std::move(parsed)});
    } catch (const UsageError& error) {
      throw UsageError("line " + std::to_string(line.number) + ": " +
                       error.what());
    }
  }
  if (lines.empty()) throw UsageError(request.batch_file + " holds no command");
  return lines;
}

int RunBatch(const Request& request, const ObjectRef& domain, netapi::Api& api,
             Report& report, PasswordSupply& passwords,
             const tasks::ChangeEvents& events) {
  nlohmann::ordered_json results = nlohmann::ordered_json::array();
  std::vector<std::size_t> failed;
  for (const BatchLine& line : request.lines) {
    Report line_report(report.json());
    line_report.PrefixErrors("line " + std::to_string(line.number));
    const std::size_t left_after =
        passwords.left() - PasswordCount(line.request);
    int status;
    try {
      status = RunTaskCommand(line.request, domain, api, line_report, passwords,
                              events);
    } catch (const UsageError& error) {
      status = line_report.Fail("", error.what());
    } catch (const automation::AutomationError& error) {
      status = line_report.AutomationFailure("", error);
    }
    // A line that failed before using its password leaves it unused; the
    // next line must not get it.
    passwords.DropUntil(left_after);
    nlohmann::ordered_json result = {{"line", line.number},
                                     {"command", line.text},
                                     {"ok", status == kExitSuccess}};
    result.update(line_report.document());
    results.push_back(std::move(result));
    if (!report.json()) line_report.Print();
    if (status != kExitSuccess) {
      failed.push_back(line.number);
      if (!request.keep_going) break;
    }
  }
  return report.Outcomes(std::move(results), failed, request.lines.size(),
                         "line");
}

}  // namespace corvane::cli
