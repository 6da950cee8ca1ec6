// The passwords a command needs, read before its backend is opened: a
// command waiting at its prompt holds no lock, so it keeps no other command
// of the session waiting.
#pragma once

#include <deque>

#include "automation/secret.h"
#include "cli/request.h"

namespace corvane::cli {

class PasswordSupply {
 public:
  PasswordSupply() = default;
  // Reads every password `request` uses, in the order it uses them: one
  // for `user add` and `user password`, one for each @password that
  // invoke's statements hand to a call. Throws UsageError as ReadPassword
  // does, and for statements that cannot be parsed.
  static PasswordSupply ReadFor(const Request& request);

  // The next password, in the order the command uses them.
  automation::Secret Take();
  std::size_t left() const { return passwords_.size(); }

 private:
  std::deque<automation::Secret> passwords_;
};

}  // namespace corvane::cli
