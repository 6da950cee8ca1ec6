// The command line: commands, their options and help, parsed with CLI11.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "cli/parsing/request.h"

namespace corvane::cli {

// A run that parsing already completed: --help, `help [COMMAND]` or
// --version.
struct ParseEnd {
  // kShortUsage: `corvane` alone, shown as help with the usage status.
  enum class Kind { kHelp, kVersion, kShortUsage } kind;
  std::string text;
};

// The request, or what parsing already answered. Throws UsageError for a
// command line that cannot be carried out; the message names an unknown
// command or option with the closest match, and never shows an option's
// value.
std::variant<Request, ParseEnd> ParseCommandLine(int argc,
                                                 const char* const* argv);

// One line of a batch, split into words: a task command as it is written
// after the global options. Throws UsageError as ParseCommandLine does,
// and for a global option, batch or invoke on the line.
Request ParseBatchLine(const std::vector<std::string>& words);

// The version and the backends built in, as -V prints them.
std::string VersionText();

}  // namespace corvane::cli
