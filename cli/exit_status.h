// What the command's exit status means to a calling script, and the error
// that ends a command with a usage error.
#pragma once

#include <stdexcept>

namespace corvane::cli {

enum ExitStatus : int {
  kExitSuccess = 0,  // the object's sLastError reads "SUCCESS"
  kExitFailure = 1,  // it holds an error text, or an automation error
  kExitUsage = 2,    // the command line (or its input) was not usable
};

// Bad command-line input found after parsing: a malformed member path, a
// password where none may be given, a missing domain.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace corvane::cli
