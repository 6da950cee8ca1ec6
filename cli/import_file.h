// The accounts file of `user import`: a header row naming the columns, one
// account a row. Every row is checked here, before the controller is
// asked anything.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "automation/secret.h"

namespace corvane::cli {

// The columns, in the order `user export` writes them.
inline constexpr const char* kAccountColumns[] = {
    "name", "full name", "comment", "home dir", "script", "disabled", "groups"};
inline constexpr const char* kPasswordColumn = "password";

struct ImportRow {
  std::size_t line = 0;
  std::string name;
  // Absent when the file has no such column: an existing account's
  // attribute is then left as it is.
  std::optional<std::string> full_name, comment, home_dir, script;
  std::optional<bool> disabled;
  std::vector<std::string> groups;
  // Absent when there is no password column or the cell is empty.
  std::optional<automation::Secret> password;
  bool refused = false;  // a problem was found in it
};

struct ImportFile {
  std::vector<ImportRow> rows;
  // One message for each row that cannot be imported, naming it.
  std::vector<std::string> problems;
};

// Reads FILE, or standard input for "-". Throws UsageError for a file that
// cannot be read or parsed, a missing name column, an unknown column, and
// a password column in a file others can read or the caller does not own.
ImportFile ReadImportFile(const std::string& path);

// Why the controller would refuse `name` as a logon name; empty when it is
// acceptable.
std::string LogonNameProblem(const std::string& name);

}  // namespace corvane::cli
