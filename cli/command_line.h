// The command line: commands, their options and help, parsed with CLI11.
#pragma once

#include <variant>

#include "cli/request.h"

namespace corvane::cli {

// The request, or the exit status when parsing already ended the run: 0
// after --help or --version, kExitUsage after a usage error (reported on
// standard error).
std::variant<Request, int> ParseCommandLine(int argc, const char* const* argv);

}  // namespace corvane::cli
