// An account as one row of a bulk import or export, and the checks every
// row passes before the controller is asked anything. Reading rows from a
// file is a face's concern; the rows are the same whatever they came from.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "automation/secret.h"
#include "tasks/account_facts.h"

namespace corvane::tasks {

// The fields, in the order an export gives them.
inline constexpr const char* kAccountColumns[] = {
    "name",     "full name", "comment",     "home dir", "script",
    "disabled", "groups",    "must change", "expires",  "last logon"};
inline constexpr const char* kPasswordColumn = "password";
// Written by an export, ignored by an import: no one sets it.
inline constexpr const char* kReadOnlyColumn = "last logon";

// Texts are UTF-8.
struct AccountRow {
  std::size_t line = 0;  // where the row came from, for messages
  std::string name;
  // Absent when the source has no such field: an existing account's
  // attribute is then left as it is.
  std::optional<std::string> full_name, comment, home_dir, script;
  std::optional<bool> disabled;
  std::vector<std::string> groups;
  // Must the password be changed at the next logon; absent: left alone.
  std::optional<bool> must_change;
  // When the account expires (none: never), if the row says.
  bool expiry_given = false;
  std::optional<Time> expires;
  // Read only (an export's).
  std::optional<Time> last_logon;
  // Absent when no password is given for the row.
  std::optional<automation::Secret> password;
  bool refused = false;  // a problem was found in it
};

// Why the controller would refuse `name` as a logon name; empty when it is
// acceptable.
std::string LogonNameProblem(const std::string& name);

// Finds a name given on an earlier row (names compare without case).
class NamesSeen {
 public:
  // The problem with `row`'s name being on an earlier row too; empty when
  // it is the first.
  std::string Repeated(const AccountRow& row);

 private:
  std::map<std::string, std::size_t> first_line_;
};

// Checks every row (texts, names, names given twice), marks the refused
// ones, and returns one message for each problem, naming its row.
std::vector<std::string> CheckRows(std::vector<AccountRow>& rows);

}  // namespace corvane::tasks
