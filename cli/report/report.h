// What a command prints: plain text that pipes cleanly (one name a line,
// "label: value" records, bare single values), or one JSON document with
// --json. Errors go to standard error in both modes; the JSON document then
// carries them as well. Names and texts shown as lines have their control
// characters escaped, so that none can make two lines.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "automation/error.h"

namespace corvane::cli {

class Report {
 public:
  // `explain_statuses`: a failure's status is followed on standard error by
  // its name, meaning and hint (the task commands); `invoke` shows the
  // component's text alone.
  explicit Report(bool json, bool explain_statuses = true)
      : json_(json), explain_statuses_(explain_statuses) {}

  // A field of a record: "label: value" in text, `key` in JSON.
  void Field(const std::string& key, const std::string& label,
             nlohmann::ordered_json value);
  // A field shown one way in text and another in JSON (a time).
  void Field(const std::string& key, const std::string& label,
             const std::string& text, nlohmann::ordered_json value);
  // A value printed bare in text (one line), under `key` in JSON.
  void Value(const std::string& key, const std::string& value);
  // Names one a line in text, an array under `key` in JSON.
  void List(const std::string& key, const std::vector<std::string>& names);
  // One name of a list shown as it arrives: in text a line written at the
  // next FlushNames, in JSON an element of the array under `key` (which
  // List(key, {}) starts). With StreamJson, a list that begins the
  // document is written as it comes too, and Print completes the document.
  void StreamName(const std::string& key, const std::string& name);
  // The same for an entry that is an object in JSON and `text` (one line)
  // in text.
  void StreamEntry(const std::string& key, const nlohmann::ordered_json& entry,
                   const std::string& text);
  void FlushNames();
  // The report whose document is the run's output (not one embedded in
  // another's) may write its JSON as it goes.
  void StreamJson() { stream_json_ = true; }
  // A line of text output only.
  void Line(const std::string& text);
  // corvane's own text (help, version), printed as it is in text mode.
  void OwnText(const std::string& text) { own_text_ += text; }
  // Data for JSON only.
  void Data(const std::string& key, nlohmann::ordered_json value);
  void ExplainStatuses(bool explain) { explain_statuses_ = explain; }
  // Put before the context of every error this report shows ("line 3").
  void PrefixErrors(const std::string& prefix) { prefix_ = prefix; }
  bool json() const { return json_; }
  const nlohmann::ordered_json& document() const { return document_; }

  // The outcome of a run of several parts (`what`: "line", "statement"),
  // each in `results` with its number; `failed` numbers the failed ones and
  // `total` counts them all. kExitFailure when any failed, after saying
  // how many did and which, and whether the rest was left unrun.
  int Outcomes(nlohmann::ordered_json results,
               const std::vector<std::size_t>& failed, std::size_t total,
               const std::string& what);

  // The object's result text: kExitSuccess for "SUCCESS", else the text
  // goes to standard error after `context` and kExitFailure is returned.
  int Finish(const std::string& context, const std::string& last_error);
  // A failure the result text does not show (a false result under
  // "SUCCESS", a missing value).
  int Fail(const std::string& context, const std::string& message);
  int AutomationFailure(const std::string& context,
                        const automation::AutomationError& error);
  // A usage error: kExitUsage; the JSON document then holds only it.
  int UsageFailure(const std::string& message);

  // Writes the text or the JSON document to standard output.
  void Print() const;

 private:
  void Error(const std::string& context, const std::string& message);

  bool json_;
  bool explain_statuses_;
  bool stream_json_ = false;
  // The list already written at the head of the JSON document, and how
  // many names it holds.
  std::optional<std::string> streamed_key_;
  std::size_t streamed_names_ = 0;
  std::string prefix_;
  nlohmann::ordered_json document_ = nlohmann::ordered_json::object();
  std::string own_text_;
  std::vector<std::string> lines_;
  std::vector<std::pair<std::string, std::string>> fields_;
};

// "0x80020006 source: description" for an automation error.
std::string DescribeAutomationError(const automation::AutomationError& error);

// Writes "corvane: CONTEXT: MESSAGE" to standard error, each part one line
// (the component's own "\r\n" breaks kept) and long parts shortened.
void PrintError(const std::string& context, const std::string& message);

}  // namespace corvane::cli
