// One run of the command: parse, choose the backend, create the domain
// object, carry out the command, keep the simulated state, print.
#pragma once

namespace corvane::cli {

// The exit status (see exit_status.h).
int Run(int argc, const char* const* argv);

}  // namespace corvane::cli
