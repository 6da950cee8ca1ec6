#include "cli/password_supply.h"

#include "cli/exit_status.h"
#include "cli/invoke_command.h"
#include "cli/password_input.h"

namespace corvane::cli {

PasswordSupply PasswordSupply::ReadFor(const Request& request) {
  PasswordSupply supply;
  switch (request.command) {
    case Command::kUserAdd:
      supply.passwords_.push_back(
          ReadPassword("Password for new user " + request.name + ": ", true));
      break;
    case Command::kUserPassword:
      supply.passwords_.push_back(
          ReadPassword("New password for " + request.name + ": ", true));
      break;
    case Command::kInvoke:
      for (std::size_t n = PasswordsUsedBy(request); n > 0; --n) {
        supply.passwords_.push_back(ReadPassword("Password: ", true));
      }
      break;
    default:
      break;
  }
  return supply;
}

automation::Secret PasswordSupply::Take() {
  if (passwords_.empty()) {
    throw UsageError("internal error: a password was used that was not read");
  }
  automation::Secret password = std::move(passwords_.front());
  passwords_.pop_front();
  return password;
}

}  // namespace corvane::cli
