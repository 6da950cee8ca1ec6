// The command line: commands, their options and help, parsed with CLI11.
#pragma once

#include <string>
#include <variant>

#include "cli/request.h"

namespace corvane::cli {

// A run that parsing already completed: --help, `help [COMMAND]` or
// --version.
struct ParseEnd {
  enum class Kind { kHelp, kVersion } kind;
  std::string text;
};

// The request, or what parsing already answered. Throws UsageError for a
// command line that cannot be carried out; the message names an unknown
// command or option with the closest match, and never shows an option's
// value.
std::variant<Request, ParseEnd> ParseCommandLine(int argc,
                                                 const char* const* argv);

// The version and the backends built in, as -V prints them.
std::string VersionText();

}  // namespace corvane::cli
