#include "cli/inputs/password_input.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "automation/text.h"
#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

// The terminal settings to put back if a signal ends the command while
// echo is off, and the terminal they belong to.
termios saved_terminal;
int saved_terminal_fd = STDIN_FILENO;

void RestoreAndReraise(int signal_number) {
  tcsetattr(saved_terminal_fd, TCSAFLUSH, &saved_terminal);
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// Turns echo off on the terminal for its lifetime.
class EchoOff {
 public:
  explicit EchoOff(int fd) : fd_(fd) {
    if (tcgetattr(fd_, &saved_terminal) != 0) return;
    saved_terminal_fd = fd_;
    termios quiet = saved_terminal;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    quiet.c_lflag |= ECHONL;
    struct sigaction action {};
    action.sa_handler = RestoreAndReraise;
    for (int i = 0; i < kSignals; ++i) {
      ::sigaction(kHandled[i], &action, &previous_[i]);
    }
    active_ = tcsetattr(fd_, TCSAFLUSH, &quiet) == 0;
  }
  ~EchoOff() {
    if (active_) tcsetattr(fd_, TCSAFLUSH, &saved_terminal);
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
  int fd_;
  bool active_ = false;
};

// One line of `fd`, read byte by byte so that no stream buffer keeps a
// copy (nor reads ahead into the next password). False at end of input
// before any byte.
bool ReadLine(int fd, automation::SecretUtf8& line) {
  bool any = false;
  char c;
  while (true) {
    const ssize_t n = ::read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return any;
    any = true;
    if (c == '\n') break;
    line.push_back(c);
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

automation::Secret ReadOne(const std::string& prompt, int fd, bool terminal) {
  automation::SecretUtf8 line;
  bool read;
  if (terminal) {
    // The prompt may hold an account name.
    std::fprintf(stderr, "%s", automation::EscapeControls(prompt, 512).c_str());
    std::fflush(stderr);
    EchoOff quiet(fd);
    read = ReadLine(fd, line);
  } else {
    read = ReadLine(fd, line);
  }
  if (!read && fd != STDIN_FILENO) {
    throw UsageError(
        "no password given: the password stream holds fewer passwords than "
        "the command uses");
  }
  if (!read) {
    throw UsageError(
        "no password given: type it at the prompt or pass it "
        "as one line of standard input");
  }
  std::optional<automation::Secret> password =
      automation::FromUtf8Secret(line.view());
  if (!password) throw UsageError("the password is not valid UTF-8");
  return std::move(*password);
}

}  // namespace

automation::Secret ReadPassword(const std::string& prompt, bool confirm,
                                int fd) {
  const bool terminal = ::isatty(fd) != 0;
  automation::Secret password = ReadOne(prompt, fd, terminal);
  if (terminal && confirm) {
    if (ReadOne("Retype the password: ", fd, terminal) != password) {
      throw UsageError("the two passwords do not match");
    }
  }
  return password;
}

bool HasMoreInput(int fd) {
  automation::SecretUtf8 line;
  return ReadLine(fd, line);
}

}  // namespace corvane::cli
