#include "cli/password_input.h"

#include <signal.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "automation/text.h"
#include "cli/exit_status.h"
#include "common/one_line.h"

namespace corvane::cli {
namespace {

// The terminal settings to put back if a signal ends the command while
// echo is off.
termios saved_terminal;

void RestoreAndReraise(int signal_number) {
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_terminal);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Turns echo off on the terminal for its lifetime.
class EchoOff {
 public:
  EchoOff() {
    if (tcgetattr(STDIN_FILENO, &saved_terminal) != 0) return;
    termios quiet = saved_terminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    struct sigaction action {};
    action.sa_handler = RestoreAndReraise;
    for (int i = 0; i < kSignals; ++i) {
      ::sigaction(kHandled[i], &action, &previous_[i]);
    }
    active_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (active_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_terminal);
    for (int i = 0; i < kSignals; ++i) {
      ::sigaction(kHandled[i], &previous_[i], nullptr);
    }
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  static constexpr int kSignals = 4;
  static constexpr int kHandled[kSignals] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
  struct sigaction previous_[kSignals] {};
  bool active_ = false;
};

// Wipes a string's characters when it goes out of scope.
template <typename Text>
class Wiped {
 public:
  ~Wiped() { explicit_bzero(text.data(), text.size() * sizeof text[0]); }
  Text text;
};

// One line of standard input, read byte by byte so that no stream buffer
// keeps a copy. False at end of input before any byte.
bool ReadLine(std::string& line) {
  bool any = false;
  char c;
  while (true) {
    const ssize_t n = ::read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return any;
    any = true;
    if (c == '\n') break;
    line.push_back(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::u16string ReadOne(const std::string& prompt, bool terminal) {
  Wiped<std::string> line;
  line.text.reserve(256);  // a password rarely outgrows it, so no stray copy
  bool read;
  if (terminal) {
    // The prompt may hold an account name.
    std::fprintf(stderr, "%s", common::OneLine(prompt, 512).c_str());
    std::fflush(stderr);
    EchoOff quiet;
    read = ReadLine(line.text);
  } else {
    read = ReadLine(line.text);
  }
  if (!read) {
    throw UsageError(
        "no password given: type it at the prompt or pass it "
        "as one line of standard input");
  }
  std::optional<std::u16string> password = automation::FromUtf8(line.text);
  if (!password) throw UsageError("the password is not valid UTF-8");
  return std::move(*password);
}

}  // namespace

std::u16string ReadPassword(const std::string& prompt, bool confirm) {
  const bool terminal = ::isatty(STDIN_FILENO) != 0;
  std::u16string password = ReadOne(prompt, terminal);
  if (terminal && confirm) {
    Wiped<std::u16string> again{ReadOne("Retype the password: ", terminal)};
    if (again.text != password) {
      explicit_bzero(password.data(), password.size() * sizeof(char16_t));
      throw UsageError("the two passwords do not match");
    }
  }
  return password;
}

}  // namespace corvane::cli
