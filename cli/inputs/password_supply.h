// The passwords a command needs, read before its backend is opened: a
// command waiting at its prompt holds no lock, so it keeps no other command
// of the session waiting.
#pragma once

#include <deque>

#include "automation/secret.h"
#include "cli/parsing/request.h"

namespace corvane::cli {

class PasswordSupply {
 public:
  PasswordSupply() = default;
  // Reads every password `request` uses, in the order it uses them: one
  // for `user add` and `user password`, one for each @password that
  // invoke's statements hand to a call, and those of each batch line; from
  // --passwords-from when given. Throws UsageError as ReadPassword does,
  // for statements that cannot be parsed, and for a password stream that
  // holds more passwords than are used.
  static PasswordSupply ReadFor(const Request& request);

  // The next password, in the order the command uses them.
  automation::Secret Take();
  std::size_t left() const { return passwords_.size(); }
  // Releases the passwords left beyond `count`, which a failed part of the
  // command did not use, so that the next part gets its own.
  void DropUntil(std::size_t count);

 private:
  std::deque<automation::Secret> passwords_;
};

// How many passwords ReadFor reads for `request`.
std::size_t PasswordCount(const Request& request);

}  // namespace corvane::cli
