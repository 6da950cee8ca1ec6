#include "cli/inputs/password_supply.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "cli/commands/invoke_command.h"
#include "cli/exit_status.h"
#include "cli/inputs/password_input.h"
#include "cli/inputs/private_file.h"
#include "netapi/unique_fd.h"

namespace corvane::cli {
namespace {

// What is asked for each password `request` uses, in order.
std::vector<std::string> PromptsFor(const Request& request) {
  switch (request.command) {
    case Command::kUserAdd:
      if (request.random_password) return {};
      return {"Password for new user " + request.name + ": "};
    case Command::kUserPassword:
      return {"New password for " + request.name + ": "};
    case Command::kInvoke:
      return std::vector<std::string>(PasswordsUsedBy(request), "Password: ");
    case Command::kBatch: {
      std::vector<std::string> prompts;
      for (const BatchLine& line : request.lines) {
        for (const std::string& prompt : PromptsFor(line.request)) {
          prompts.push_back("line " + std::to_string(line.number) + ": " +
                            prompt);
        }
      }
      return prompts;
    }
    default:
      return {};
  }
}

// Where the passwords come from: --passwords-from, else the terminal when
// standard input carries the statements, else standard input (no
// descriptor of its own).
netapi::UniqueFd OpenPasswordStream(const Request& request) {
  const std::string& from = request.passwords_from;
  if (from == "-" || (from.empty() && !request.ReadsStandardInput())) {
    if (request.ReadsStandardInput()) {
      throw UsageError(
          "standard input carries the statements; give the passwords in "
          "another stream (--passwords-from FILE)");
    }
    return netapi::UniqueFd();
  }
  const std::string path = from.empty() ? "/dev/tty" : from;
  netapi::UniqueFd stream(
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
  if (!stream && from.empty()) {
    throw UsageError(
        "standard input carries the statements and there is no terminal to "
        "ask for passwords: give --passwords-from FILE");
  }
  if (!stream) {
    throw UsageError("cannot read the passwords from " + from + ": " +
                     std::strerror(errno));
  }
  if (!from.empty()) WarnIfOthersCanRead(from, "--passwords-from");
  return stream;
}

}  // namespace

PasswordSupply PasswordSupply::ReadFor(const Request& request) {
  PasswordSupply supply;
  const std::vector<std::string> prompts = PromptsFor(request);
  if (prompts.empty() && request.passwords_from.empty()) return supply;
  const netapi::UniqueFd stream = OpenPasswordStream(request);
  const int fd = stream ? stream.get() : STDIN_FILENO;
  for (const std::string& prompt : prompts) {
    supply.passwords_.push_back(ReadPassword(prompt, true, fd));
  }
  // A password left over means the stream and the statements disagree on
  // which password goes where.
  if (!request.passwords_from.empty() && HasMoreInput(fd)) {
    throw UsageError("the password stream holds more passwords than the " +
                     std::to_string(prompts.size()) + " the command uses");
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

void PasswordSupply::DropUntil(std::size_t count) {
  while (passwords_.size() > count) passwords_.pop_front();
}

std::size_t PasswordCount(const Request& request) {
  return PromptsFor(request).size();
}

}  // namespace corvane::cli
