// Comma-separated records as spreadsheets and HR systems write them:
// quoted fields may hold commas, doubled quotes and line breaks; lines end
// in CRLF or LF; a leading UTF-8 byte order mark is skipped. Fields are
// secrets, since a column may hold passwords.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "automation/secret.h"

namespace corvane::cli {

struct CsvRecord {
  std::size_t line = 0;  // where the record starts, from 1
  std::vector<automation::SecretUtf8> fields;
};

class CsvError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Blank lines are skipped. Throws CsvError naming the line for a quote
// inside an unquoted field, text after a closing quote, or a quoted field
// that never ends.
std::vector<CsvRecord> ParseCsv(std::string_view text);

// `text` as one field: quoted when it holds a comma, quote or line break,
// or starts or ends with a space.
std::string CsvField(std::string_view text);

// A spreadsheet takes a cell starting with = + - @ (or a tab or carriage
// return) for a formula. Spreadsheet-safe text starts such a cell with an
// apostrophe, which the spreadsheet shows as text; FromSpreadsheetSafe
// takes it off again.
std::string SpreadsheetSafe(std::string_view text);
std::string FromSpreadsheetSafe(std::string_view text);

}  // namespace corvane::cli
