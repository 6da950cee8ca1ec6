#include "cli/inputs/import_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>

#include "automation/text.h"
#include "cli/exit_status.h"
#include "cli/inputs/csv.h"
#include "cli/inputs/private_file.h"
#include "cli/report/times.h"
#include "netapi/unique_fd.h"

namespace corvane::cli {
namespace {

using tasks::kAccountColumns;
using tasks::kPasswordColumn;

std::string Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  return std::string(
      text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string Describe(const std::string& path) {
  return path == "-" ? "standard input" : path;
}

// Bounded, so that no file can hold the command for long before its first
// call: some 200,000 rows.
constexpr std::size_t kLargestFile = 16 * 1024 * 1024;

// The whole file, as a secret: it may hold passwords.
automation::SecretUtf8 ReadAll(int fd, const std::string& path) {
  automation::SecretUtf8 text;
  std::array<char, 4096> chunk;
  while (true) {
    const ssize_t got = ::read(fd, chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      automation::WipeMemory(chunk.data(), chunk.size());
      throw UsageError("cannot read " + Describe(path) + ": " +
                       std::strerror(errno));
    }
    if (got == 0) break;
    if (text.size() + static_cast<std::size_t>(got) > kLargestFile) {
      automation::WipeMemory(chunk.data(), chunk.size());
      throw UsageError(Describe(path) +
                       " is larger than 16 MiB; split it "
                       "into smaller files");
    }
    for (ssize_t i = 0; i < got; ++i) text.push_back(chunk[i]);
  }
  automation::WipeMemory(chunk.data(), chunk.size());
  return text;
}

std::optional<bool> ParseFlag(const std::string& text) {
  const std::string lower = automation::AsciiLower(Trimmed(text));
  if (lower.empty() || lower == "no" || lower == "false" || lower == "0")
    return false;
  if (lower == "yes" || lower == "true" || lower == "1") return true;
  return std::nullopt;
}

std::string Text(const automation::SecretUtf8& field) {
  return std::string(field.view());
}

class RowReader {
 public:
  RowReader(const CsvRecord& header, bool spreadsheet_safe)
      : spreadsheet_safe_(spreadsheet_safe) {
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
      const std::string column =
          automation::AsciiLower(Trimmed(header.fields[i].view()));
      const bool known =
          column == kPasswordColumn ||
          std::ranges::any_of(kAccountColumns,
                              [&](const char* c) { return column == c; });
      if (!known) {
        std::string expected;
        for (const char* c : kAccountColumns) expected += std::string(c) + ", ";
        throw UsageError("line " + std::to_string(header.line) +
                         ": unknown column \"" + column +
                         "\"; the columns are " + expected + "and password");
      }
      if (!columns_.emplace(column, i).second) {
        throw UsageError("line " + std::to_string(header.line) +
                         ": the column \"" + column + "\" is given twice");
      }
    }
    if (!columns_.contains("name")) {
      throw UsageError("line " + std::to_string(header.line) +
                       ": the header has no \"name\" column");
    }
    width_ = header.fields.size();
  }

  bool has_password() const { return columns_.contains(kPasswordColumn); }
  bool has_column(const std::string& column) const {
    return columns_.contains(column);
  }

  // The row, or a message saying why it cannot be imported.
  ImportRow Read(CsvRecord& record, std::vector<std::string>& problems) {
    ImportRow row;
    row.line = record.line;
    const std::string where = "line " + std::to_string(record.line);
    if (record.fields.size() != width_) {
      problems.push_back(where + ": " + std::to_string(record.fields.size()) +
                         " fields where the header has " +
                         std::to_string(width_));
      return row;
    }
    for (std::size_t i = 0; i < width_; ++i) {
      if (IsPassword(i)) continue;
      if (!automation::FromUtf8(record.fields[i].view())) {
        problems.push_back(where + ": the text is not UTF-8");
        return row;
      }
      // The controller takes no NUL in any text: refused now, not half way.
      if (record.fields[i].view().find('\0') != std::string_view::npos) {
        problems.push_back(where + ": a field holds a NUL character");
        return row;
      }
    }
    row.name = Trimmed(*Cell(record, "name"));
    row.full_name = Cell(record, "full name");
    row.comment = Cell(record, "comment");
    row.home_dir = Cell(record, "home dir");
    row.script = Cell(record, "script");
    const std::string named = where + " (" + row.name + ")";
    if (const std::string problem = tasks::LogonNameProblem(row.name);
        !problem.empty()) {
      problems.push_back(where + ": " + problem);
    }
    if (const auto disabled = Cell(record, "disabled"); !disabled) {
    } else if (const auto flag = ParseFlag(*disabled)) {
      row.disabled = *flag;
    } else {
      problems.push_back(named + ": \"disabled\" must be yes or no (or empty)");
    }
    // Empty leaves an existing account's fact as it is.
    if (const auto must_change = Cell(record, "must change");
        must_change && !Trimmed(*must_change).empty()) {
      if (const auto flag = ParseFlag(*must_change)) {
        row.must_change = *flag;
      } else {
        problems.push_back(named +
                           ": \"must change\" must be yes or no (or empty)");
      }
    }
    if (const auto expires = Cell(record, "expires");
        expires && !Trimmed(*expires).empty()) {
      const std::string text = automation::AsciiLower(Trimmed(*expires));
      row.expiry_given = true;
      if (text == "never") {
        row.expires.reset();
      } else if (const auto end = EndOfLocalDay(text)) {
        row.expires = *end;
      } else if (const auto exact = ParseIsoTime(text)) {
        row.expires = *exact;
      } else {
        problems.push_back(named +
                           ": \"expires\" must be YYYY-MM-DD, an ISO 8601 time "
                           "in UTC (as an export writes), never, or empty");
      }
    }
    const std::string groups = Cell(record, "groups").value_or("");
    for (std::size_t start = 0; start <= groups.size();) {
      std::size_t end = groups.find(';', start);
      if (end == std::string::npos) end = groups.size();
      std::string group =
          Trimmed(std::string_view(groups).substr(start, end - start));
      if (!group.empty()) row.groups.push_back(std::move(group));
      start = end + 1;
    }
    if (has_password()) {
      automation::SecretUtf8& cell =
          record.fields[columns_.at(kPasswordColumn)];
      if (!cell.empty()) {
        row.password = automation::FromUtf8Secret(cell.view());
        if (!row.password)
          problems.push_back(named + ": the password is not UTF-8");
      }
    }
    return row;
  }

 private:
  bool IsPassword(std::size_t i) const {
    return has_password() && columns_.at(kPasswordColumn) == i;
  }
  std::optional<std::string> Cell(const CsvRecord& record,
                                  const std::string& column) const {
    const auto found = columns_.find(column);
    if (found == columns_.end()) return std::nullopt;
    const std::string text = Text(record.fields[found->second]);
    return spreadsheet_safe_ ? FromSpreadsheetSafe(text) : text;
  }

  bool spreadsheet_safe_;
  std::map<std::string, std::size_t> columns_;
  std::size_t width_ = 0;
};

}  // namespace

ImportFile ReadImportFile(const std::string& path, bool spreadsheet_safe,
                          bool trust_pipe) {
  netapi::UniqueFd opened;
  int fd = STDIN_FILENO;
  if (path != "-") {
    opened = netapi::UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!opened) {
      throw UsageError("cannot open " + path + ": " + std::strerror(errno));
    }
    fd = opened.get();
  }
  const automation::SecretUtf8 text = ReadAll(fd, path);
  std::vector<CsvRecord> records;
  try {
    records = ParseCsv(text.view());
  } catch (const CsvError& error) {
    throw UsageError(Describe(path) + ": " + error.what());
  }
  if (records.empty()) {
    throw UsageError(Describe(path) + " is empty: it needs a header row (" +
                     "name,full name,comment,home dir,script,disabled,groups)");
  }
  RowReader reader(records.front(), spreadsheet_safe);
  if (reader.has_password()) {
    // Passwords are taken only from a file no one else can read or replace.
    if (const std::string problem =
            PrivacyProblem(fd, Describe(path), trust_pipe);
        !problem.empty()) {
      throw UsageError(Describe(path) +
                       " has a password column, so it must be yours and "
                       "mode 600 (" +
                       problem +
                       "); run chmod 600, or drop the column and use "
                       "--generate-passwords FILE");
    }
  }

  ImportFile file;
  if (reader.has_column(tasks::kReadOnlyColumn)) {
    file.notes.push_back(std::string("the column \"") + tasks::kReadOnlyColumn +
                         "\" is an export's record and is ignored");
  }
  tasks::NamesSeen names;
  for (std::size_t i = 1; i < records.size(); ++i) {
    const std::size_t known_problems = file.problems.size();
    ImportRow row = reader.Read(records[i], file.problems);
    if (std::string repeated = names.Repeated(row); !repeated.empty()) {
      file.problems.push_back(std::move(repeated));
    }
    row.refused = file.problems.size() > known_problems;
    file.rows.push_back(std::move(row));
  }
  return file;
}

}  // namespace corvane::cli
