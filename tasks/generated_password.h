// Passwords made for new accounts.
#pragma once

#include "automation/secret.h"

namespace corvane::tasks {

// 16 characters from the kernel's random source, with an upper-case and a
// lower-case letter, a digit and a symbol, so that it meets a domain's
// complexity rules whatever the account's name. Throws std::system_error
// when there is no random source.
automation::Secret GeneratePassword();

}  // namespace corvane::tasks
