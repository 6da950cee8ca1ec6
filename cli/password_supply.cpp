#include "cli/password_supply.h"

#include <string.h>

#include "cli/exit_status.h"
#include "cli/invoke_command.h"
#include "cli/password_input.h"

namespace corvane::cli {
namespace {

// Wipes every character the string's buffer can hold, so that a short
// text moved out of its small-string buffer leaves no copy behind.
void Wipe(std::u16string& text) {
  explicit_bzero(text.data(), text.capacity() * sizeof(char16_t));
}

}  // namespace

PasswordSupply PasswordSupply::ReadFor(const Request& request) {
  PasswordSupply supply;
  switch (request.command) {
    case Command::kUserAdd:
      supply.Keep(
          ReadPassword("Password for new user " + request.name + ": ", true));
      break;
    case Command::kUserPassword:
      supply.Keep(
          ReadPassword("New password for " + request.name + ": ", true));
      break;
    case Command::kInvoke:
      for (std::size_t n = PasswordsUsedBy(request); n > 0; --n) {
        supply.Keep(ReadPassword("Password: ", true));
      }
      break;
    default:
      break;
  }
  return supply;
}

void PasswordSupply::Keep(std::u16string password) {
  passwords_.push_back(std::move(password));
  Wipe(password);
}

PasswordSupply::~PasswordSupply() {
  for (std::u16string& password : passwords_) Wipe(password);
}

std::u16string PasswordSupply::Take() {
  if (passwords_.empty()) {
    throw UsageError("internal error: a password was used that was not read");
  }
  std::u16string password = std::move(passwords_.front());
  Wipe(passwords_.front());
  passwords_.pop_front();
  return password;
}

}  // namespace corvane::cli
