#include "cli/report/report.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "automation/text.h"
#include "cli/exit_status.h"
#include "tasks/status_table.h"

namespace corvane::cli {
namespace {

// Enough for any real name; a longer one is shortened in messages.
constexpr std::size_t kLongestShown = 256;

// The component's one two-line text (NTUser's failed group change, whose
// second line names the group) breaks its lines with "\r\n"; a terminal
// wants "\n". Every other line break is escaped with the rest, so that no
// name can print a line of its own.
std::string TerminalText(const std::string& text) {
  static constexpr std::string_view kSecondLine =
      "\r\nThere is no **GLOBAL** group '";
  const auto end = text.find(kSecondLine);
  if (end == std::string::npos) {
    return automation::EscapeControls(text, kLongestShown);
  }
  return automation::EscapeControls(text.substr(0, end), kLongestShown) + "\n" +
         automation::EscapeControls(text.substr(end + 2), kLongestShown);
}

// The command's own text (an export's CSV) byte for byte into a file or
// pipe; on a terminal each line escaped, so that no name in it can send the
// terminal an escape sequence.
std::string OwnTextShown(const std::string& text) {
  if (::isatty(STDOUT_FILENO) == 0) return text;
  std::string shown;
  std::string::size_type start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    shown += automation::EscapeControls(text.substr(start, end - start));
    shown += '\n';
    start = end + 1;
  }
  return shown;
}

// Invalid UTF-8 in a name is replaced, never an exception.
std::string JsonText(const nlohmann::ordered_json& value, int indent = -1) {
  return value.dump(indent, ' ', false,
                    nlohmann::ordered_json::error_handler_t::replace);
}

std::string Hex(std::int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(number));
  return text;
}

struct AutomationErrorName {
  automation::HRESULT number;
  const char* name;
  const char* meaning;
};

// The dispatch layer's own errors; they carry no description.
constexpr AutomationErrorName kAutomationErrors[] = {
    {automation::DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND",
     "member not found"},
    {automation::DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME", "unknown name"},
    {automation::DISP_E_PARAMNOTFOUND, "DISP_E_PARAMNOTFOUND",
     "parameter not found"},
    {automation::DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH", "type mismatch"},
    {automation::DISP_E_OVERFLOW, "DISP_E_OVERFLOW", "overflow"},
    {automation::DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT",
     "invalid number of parameters"},
    {automation::DISP_E_ARRAYISLOCKED, "DISP_E_ARRAYISLOCKED",
     "array is locked"},
    {automation::E_INVALIDARG, "E_INVALIDARG", "invalid argument"},
};

const AutomationErrorName* FindAutomationError(automation::HRESULT number) {
  for (const AutomationErrorName& known : kAutomationErrors) {
    if (known.number == number) return &known;
  }
  return nullptr;
}

// The error's own description, else what the dispatch layer's error means.
std::string DescriptionOf(const automation::AutomationError& error) {
  std::string description = automation::ToUtf8(error.description());
  if (description.empty()) {
    if (const auto* known = FindAutomationError(error.hresult())) {
      description = known->meaning;
    }
  }
  return description;
}

}  // namespace

std::string DescribeAutomationError(const automation::AutomationError& error) {
  std::string text = "automation error " + Hex(error.hresult());
  const std::string source = automation::ToUtf8(error.source());
  const std::string description = DescriptionOf(error);
  if (!source.empty()) text += " (" + source + ")";
  if (!description.empty()) text += ": " + description;
  if (error.description().empty()) {
    if (const auto* known = FindAutomationError(error.hresult())) {
      text += " (" + std::string(known->name) + ")";
    }
  }
  return text;
}

void PrintError(const std::string& context, const std::string& message) {
  std::cerr << "corvane: ";
  if (!context.empty()) std::cerr << TerminalText(context) << ": ";
  std::cerr << TerminalText(message) << "\n";
}

void Report::Field(const std::string& key, const std::string& label,
                   nlohmann::ordered_json value) {
  std::string text;
  if (value.is_string()) {
    text = value.get<std::string>();
  } else if (value.is_boolean()) {
    text = value.get<bool>() ? "yes" : "no";
  } else {
    text = value.dump();
  }
  Field(key, label, text, std::move(value));
}

void Report::Field(const std::string& key, const std::string& label,
                   const std::string& text, nlohmann::ordered_json value) {
  fields_.emplace_back(label, text);
  document_[key] = std::move(value);
}

void Report::Value(const std::string& key, const std::string& value) {
  lines_.push_back(value);
  document_[key] = value;
}

void Report::List(const std::string& key,
                  const std::vector<std::string>& names) {
  lines_.insert(lines_.end(), names.begin(), names.end());
  document_[key] = names;
}

void Report::StreamName(const std::string& key, const std::string& name) {
  StreamEntry(key, name, name);
}

void Report::StreamEntry(const std::string& key,
                         const nlohmann::ordered_json& entry,
                         const std::string& text) {
  if (json_) {
    // Written at once only while the list is the document's first member:
    // the rest of the document still follows it, in order.
    const bool leads = document_.size() == 1 && document_.contains(key) &&
                       document_[key].empty();
    if (streamed_key_ == key || (stream_json_ && !streamed_key_ && leads)) {
      if (!streamed_key_) {
        std::cout << "{\n  " << JsonText(key) << ": [";
        streamed_key_ = key;
      }
      std::cout << (streamed_names_++ ? ",\n    " : "\n    ")
                << JsonText(entry);
    } else {
      document_[key].push_back(entry);
    }
  } else {
    std::cout << automation::EscapeControls(text) << "\n";
  }
}

void Report::FlushNames() {
  if (!json_ || streamed_key_) std::cout.flush();
}

void Report::Line(const std::string& text) { lines_.push_back(text); }

void Report::Data(const std::string& key, nlohmann::ordered_json value) {
  document_[key] = std::move(value);
}

int Report::Finish(const std::string& context, const std::string& last_error) {
  document_["lastError"] = last_error;
  if (last_error.empty() || last_error == "SUCCESS") return kExitSuccess;
  Error(context, last_error);
  const std::optional<std::int32_t> status = tasks::StatusInText(last_error);
  if (!status) return kExitFailure;
  const tasks::StatusInfo* info = tasks::FindStatus(*status);
  document_["status"] = *status;
  document_["statusName"] = info ? nlohmann::ordered_json(info->name)
                                 : nlohmann::ordered_json(nullptr);
  document_["message"] = info ? info->meaning : "status not known to corvane";
  if (info && !info->hint.empty()) document_["hint"] = info->hint;
  if (explain_statuses_) {
    std::string explained = std::to_string(*status) + " ";
    explained +=
        info ? std::string(info->name) + ": " + std::string(info->meaning)
             : "(status not known to corvane)";
    if (info && !info->hint.empty())
      explained += "; " + std::string(info->hint);
    PrintError("", explained);
  }
  return kExitFailure;
}

int Report::Fail(const std::string& context, const std::string& message) {
  Error(context, message);
  return kExitFailure;
}

void Report::Error(const std::string& context, const std::string& message) {
  document_["error"] = message;
  PrintError(prefix_.empty() || context.empty() ? prefix_ + context
                                                : prefix_ + ": " + context,
             message);
}

int Report::Outcomes(nlohmann::ordered_json results,
                     const std::vector<std::size_t>& failed, std::size_t total,
                     const std::string& what) {
  const std::size_t run = results.size();
  document_["results"] = std::move(results);
  document_["failed"] = failed;
  document_["notRun"] = total - run;
  if (failed.empty()) return kExitSuccess;
  std::string message = std::to_string(failed.size()) + " of " +
                        std::to_string(total) + " " + what + "s failed (";
  for (std::size_t i = 0; i < failed.size(); ++i) {
    message += (i ? ", " : "") + std::to_string(failed[i]);
  }
  message += ")";
  if (run < total) {
    message += "; the " + std::to_string(total - run) + " after " + what + " " +
               std::to_string(failed.back()) +
               " did not run (--keep-going runs them)";
  }
  return Fail("", message);
}

int Report::AutomationFailure(const std::string& context,
                              const automation::AutomationError& error) {
  const AutomationErrorName* known = FindAutomationError(error.hresult());
  const std::string text = DescribeAutomationError(error);
  document_["error"] = text;
  document_["automationError"] = {
      {"number", Hex(error.hresult())},
      {"name", known ? nlohmann::ordered_json(known->name)
                     : nlohmann::ordered_json(nullptr)},
      {"source", automation::ToUtf8(error.source())},
      {"description", DescriptionOf(error)}};
  PrintError(context, text);
  return kExitFailure;
}

int Report::UsageFailure(const std::string& message) {
  document_ = {{"usageError", message}};
  own_text_.clear();
  lines_.clear();
  fields_.clear();
  PrintError("", message);
  return kExitUsage;
}

void Report::Print() const {
  if (json_) {
    const std::string whole = JsonText(document_, 2);
    if (!streamed_key_) {
      std::cout << whole << "\n";
      return;
    }
    // The document as it would be whole, after its streamed list (still
    // empty in it) was written.
    const std::string head = "{\n  " + JsonText(*streamed_key_) + ": []";
    std::cout << (streamed_names_ ? "\n  ]" : "]")
              << whole.substr(whole.rfind(head, 0) == 0 ? head.size() : 0)
              << "\n";
    return;
  }
  std::cout << OwnTextShown(own_text_);
  std::size_t width = 0;
  for (const auto& [label, value] : fields_) {
    width = std::max(width, label.size());
  }
  for (const auto& [label, value] : fields_) {
    std::cout << label << ":" << std::string(width - label.size() + 1, ' ')
              << automation::EscapeControls(value) << "\n";
  }
  for (const std::string& line : lines_) {
    std::cout << automation::EscapeControls(line) << "\n";
  }
  std::cout.flush();
}

}  // namespace corvane::cli
