#include "cli/report.h"

#include <cstdio>
#include <iostream>

#include "automation/text.h"
#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

// The two-line texts of the component use "\r\n"; a terminal wants "\n".
std::string TerminalText(std::string text) {
  std::string::size_type at;
  while ((at = text.find("\r\n")) != std::string::npos) text.erase(at, 1);
  return text;
}

std::string Hex(std::int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(number));
  return text;
}

// What the dispatch layer's own errors mean; they carry no description.
std::string KnownMeaning(automation::HRESULT number) {
  using namespace automation;
  switch (number) {
    case DISP_E_MEMBERNOTFOUND:
      return "member not found (DISP_E_MEMBERNOTFOUND)";
    case DISP_E_UNKNOWNNAME:
      return "unknown name (DISP_E_UNKNOWNNAME)";
    case DISP_E_PARAMNOTFOUND:
      return "parameter not found (DISP_E_PARAMNOTFOUND)";
    case DISP_E_TYPEMISMATCH:
      return "type mismatch (DISP_E_TYPEMISMATCH)";
    case DISP_E_OVERFLOW:
      return "overflow (DISP_E_OVERFLOW)";
    case DISP_E_BADPARAMCOUNT:
      return "invalid number of parameters (DISP_E_BADPARAMCOUNT)";
    case DISP_E_ARRAYISLOCKED:
      return "array is locked (DISP_E_ARRAYISLOCKED)";
    case E_INVALIDARG:
      return "invalid argument (E_INVALIDARG)";
    default:
      return {};
  }
}

}  // namespace

std::string DescribeAutomationError(const automation::AutomationError& error) {
  std::string text = "automation error " + Hex(error.hresult());
  const std::string source = automation::ToUtf8(error.source());
  std::string description = automation::ToUtf8(error.description());
  if (!source.empty()) text += " (" + source + ")";
  if (description.empty()) description = KnownMeaning(error.hresult());
  if (!description.empty()) text += ": " + description;
  return text;
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

void Report::Line(const std::string& text) { lines_.push_back(text); }

void Report::Data(const std::string& key, nlohmann::ordered_json value) {
  document_[key] = std::move(value);
}

int Report::Finish(const std::string& context, const std::string& last_error) {
  document_["lastError"] = last_error;
  if (last_error.empty() || last_error == "SUCCESS") return kExitSuccess;
  std::cerr << "corvane: " << context << ": " << TerminalText(last_error)
            << "\n";
  return kExitFailure;
}

int Report::Fail(const std::string& context, const std::string& message) {
  document_["error"] = message;
  std::cerr << "corvane: " << context << ": " << message << "\n";
  return kExitFailure;
}

int Report::AutomationFailure(const std::string& context,
                              const automation::AutomationError& error) {
  document_["automationError"] = {
      {"number", Hex(error.hresult())},
      {"source", automation::ToUtf8(error.source())},
      {"description", automation::ToUtf8(error.description())}};
  std::cerr << "corvane: " << context << ": " << DescribeAutomationError(error)
            << "\n";
  return kExitFailure;
}

void Report::Print() const {
  if (json_) {
    std::cout << document_.dump(
                     2, ' ', false,
                     nlohmann::ordered_json::error_handler_t::replace)
              << "\n";
    return;
  }
  std::size_t width = 0;
  for (const auto& [label, value] : fields_) {
    width = std::max(width, label.size());
  }
  for (const auto& [label, value] : fields_) {
    std::cout << label << ":" << std::string(width - label.size() + 1, ' ')
              << value << "\n";
  }
  for (const std::string& line : lines_) std::cout << line << "\n";
  std::cout.flush();
}

}  // namespace corvane::cli
