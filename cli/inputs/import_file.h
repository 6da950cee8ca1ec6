// The accounts file of `user import`: a header row naming the columns
// (tasks/account_rows.h), one account a row. Every row is checked here,
// before the controller is asked anything.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tasks/account_rows.h"

namespace corvane::cli {

using ImportRow = tasks::AccountRow;

struct ImportFile {
  std::vector<ImportRow> rows;
  // One message for each row that cannot be imported, naming it.
  std::vector<std::string> problems;
  // What the reader ignored (an export's read-only column), said once.
  std::vector<std::string> notes;
};

// Reads FILE, or standard input for "-". Throws UsageError for a file that
// cannot be read or parsed, a missing name column, an unknown column, and
// a password column in a file others can read or the caller does not own.
// With `spreadsheet_safe`, the apostrophe SpreadsheetSafe (cli/inputs/csv.h)
// put before a formula's first character is taken off; with `trust_pipe`, a
// password column is taken from a pipe.
ImportFile ReadImportFile(const std::string& path,
                          bool spreadsheet_safe = false,
                          bool trust_pipe = false);

}  // namespace corvane::cli
