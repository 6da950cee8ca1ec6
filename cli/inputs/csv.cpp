#include "cli/inputs/csv.h"

namespace corvane::cli {
namespace {

class CsvParser {
 public:
  explicit CsvParser(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
  }

  std::vector<CsvRecord> Records() {
    std::vector<CsvRecord> records;
    while (pos_ < text_.size()) {
      CsvRecord record;
      record.line = line_;
      bool more = true;
      while (more) {
        record.fields.emplace_back();
        more = Field(record.fields.back());
      }
      const bool blank =
          record.fields.size() == 1 && record.fields.front().empty();
      if (!blank) records.push_back(std::move(record));
    }
    return records;
  }

 private:
  // Reads one field; true when another field of the record follows.
  bool Field(automation::SecretUtf8& field) {
    if (pos_ < text_.size() && text_[pos_] == '"') return Quoted(field);
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == ',') return true;
      if (c == '"') Fail("a quote inside an unquoted field");
      if (EndOfLine(c)) return false;
      field.push_back(c);
    }
    return false;
  }

  bool Quoted(automation::SecretUtf8& field) {
    const std::size_t opened = line_;
    ++pos_;
    while (true) {
      if (pos_ >= text_.size()) {
        throw CsvError("line " + std::to_string(opened) +
                       ": a quoted field is not closed");
      }
      const char c = text_[pos_++];
      if (c == '"') {
        if (pos_ < text_.size() && text_[pos_] == '"') {
          field.push_back('"');
          ++pos_;
          continue;
        }
        break;
      }
      if (c == '\n') ++line_;
      field.push_back(c);
    }
    if (pos_ >= text_.size()) return false;
    const char next = text_[pos_++];
    if (next == ',') return true;
    if (EndOfLine(next)) return false;
    Fail("text after a closing quote");
  }

  bool EndOfLine(char c) {
    if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    if (c != '\n' && c != '\r') return false;
    ++line_;
    return true;
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw CsvError("line " + std::to_string(line_) + ": " + what +
                   " (quote the whole field and double the quotes in it)");
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 1;
};

}  // namespace

std::vector<CsvRecord> ParseCsv(std::string_view text) {
  return CsvParser(text).Records();
}

std::string CsvField(std::string_view text) {
  const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                     text.starts_with(' ') || text.ends_with(' ');
  if (!quote) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

namespace {

bool StartsFormula(std::string_view text) {
  return !text.empty() && std::string_view("=+-@\t\r").find(text.front()) !=
                              std::string_view::npos;
}

}  // namespace

std::string SpreadsheetSafe(std::string_view text) {
  if (!StartsFormula(text)) return std::string(text);
  // Appended rather than "'" + std::string(text): GCC 12 with
  // _FORTIFY_SOURCE reports a false overlap (-Wrestrict) in that insert.
  std::string safe;
  safe.reserve(text.size() + 1);
  safe += '\'';
  safe += text;
  return safe;
}

std::string FromSpreadsheetSafe(std::string_view text) {
  if (text.size() > 1 && text.front() == '\'' &&
      StartsFormula(text.substr(1))) {
    text.remove_prefix(1);
  }
  return std::string(text);
}

}  // namespace corvane::cli
