// The command's commands and options as plain lines, for the generators of
// the man page and the shell completion, so those never drift from the
// definitions the parser uses.
#pragma once

#include <ostream>

namespace CLI {
class App;
}

namespace corvane::cli {

// One line per item, fields separated by single spaces, the description
// last; PATH is the command path joined with dots ("corvane.user.add"),
// NAMES the option's names joined with commas ("-W,--domain,--workgroup"):
//   command PATH DESCRIPTION
//   footer PATH TEXT                     the command's longer help, if any
//   argument PATH NAME DESCRIPTION
//   flag PATH NAMES DESCRIPTION          an option without a value
//   option PATH NAMES VALUE DESCRIPTION  VALUE: the value's type name
//                                        (FILE, TEXT, none|adddel|full)
// Hidden options and commands (no group) are left out.
void PrintCommandTree(const CLI::App& app, std::ostream& out);

}  // namespace corvane::cli
