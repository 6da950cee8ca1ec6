#include "tasks/account_rows.h"

#include "automation/text.h"

namespace corvane::tasks {
namespace {

constexpr std::size_t kMaxLogonName = 20;

std::string Where(const AccountRow& row) {
  return "line " + std::to_string(row.line) + " (" + row.name + ")";
}

}  // namespace

std::string LogonNameProblem(const std::string& name) {
  if (name.empty()) return "no name";
  const std::string shown = "\"" + name + "\"";
  const std::optional<std::u16string> wide = automation::FromUtf8(name);
  if (!wide) return shown + " is not UTF-8";
  std::size_t characters = 0;
  for (const char16_t c : *wide) {
    if (c < 0xDC00 || c > 0xDFFF) ++characters;  // a pair counts once
    if (c < 0x20 || c == 0x7F) return shown + " holds a control character";
    if (std::u16string_view(u"\"/\\[]:;|=,+*?<>@").find(c) !=
        std::u16string_view::npos) {
      return shown + " holds '" + automation::ToUtf8(std::u16string(1, c)) +
             "', which a controller refuses in logon names "
             "(\" / \\ [ ] : ; | = , + * ? < > @)";
    }
  }
  if (characters > kMaxLogonName) {
    return shown + " is longer than " + std::to_string(kMaxLogonName) +
           " characters";
  }
  if (name.find_first_not_of(". ") == std::string::npos) {
    return shown + " is only dots and spaces";
  }
  return "";
}

std::string NamesSeen::Repeated(const AccountRow& row) {
  if (row.name.empty()) return "";
  const auto [seen, fresh] =
      first_line_.emplace(automation::AsciiLower(row.name), row.line);
  if (fresh) return "";
  return Where(row) + ": the name is also on line " +
         std::to_string(seen->second) + " (names are compared without case)";
}

std::vector<std::string> CheckRows(std::vector<AccountRow>& rows) {
  std::vector<std::string> problems;
  NamesSeen seen;
  for (AccountRow& row : rows) {
    const std::size_t known = problems.size();
    const std::optional<std::string>* texts[] = {&row.full_name, &row.comment,
                                                 &row.home_dir, &row.script};
    // The controller takes no NUL in any text.
    const auto text = [](std::string_view value) {
      return automation::FromUtf8(value).has_value() &&
             value.find('\0') == std::string_view::npos;
    };
    bool utf8 = text(row.name);
    for (const std::string& group : row.groups) {
      utf8 = utf8 && text(group);
    }
    for (const auto* field : texts) {
      utf8 = utf8 && (!*field || text(**field));
    }
    if (!utf8) {
      problems.push_back("line " + std::to_string(row.line) +
                         ": the text is not UTF-8 or holds a NUL character");
    } else if (const std::string problem = LogonNameProblem(row.name);
               !problem.empty()) {
      problems.push_back("line " + std::to_string(row.line) + ": " + problem);
    }
    if (std::string repeated = seen.Repeated(row); !repeated.empty()) {
      problems.push_back(std::move(repeated));
    }
    row.refused = row.refused || problems.size() > known;
  }
  return problems;
}

}  // namespace corvane::tasks
