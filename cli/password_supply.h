// The passwords a command needs, read before its backend is opened: a
// command waiting at its prompt holds no lock, so it keeps no other command
// of the session waiting.
#pragma once

#include <deque>
#include <string>

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

  ~PasswordSupply();
  PasswordSupply(PasswordSupply&&) = default;
  // The passwords held before go with `other`, which wipes them.
  PasswordSupply& operator=(PasswordSupply&& other) noexcept {
    passwords_.swap(other.passwords_);
    return *this;
  }

  // The next password; the caller wipes it when done.
  std::u16string Take();
  std::size_t left() const { return passwords_.size(); }

 private:
  void Keep(std::u16string password);

  std::deque<std::u16string> passwords_;
};

}  // namespace corvane::cli
