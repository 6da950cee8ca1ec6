// Passwords come from the terminal, typed without echo, or as one line of
// standard input; never from the command line.
#pragma once

#include <unistd.h>

#include <string>

#include "automation/secret.h"

namespace corvane::cli {

// Reads one password from `fd`. On a terminal it prompts on standard error
// with `prompt`, and with `confirm` asks a second time and requires the
// same text. Throws UsageError at end of input, on a mismatch, or for text
// that is not UTF-8. Every byte read is held in a secret from the start.
automation::Secret ReadPassword(const std::string& prompt, bool confirm,
                                int fd = STDIN_FILENO);

// Whether `fd` holds another line; what it reads is released as a secret.
bool HasMoreInput(int fd);

}  // namespace corvane::cli
