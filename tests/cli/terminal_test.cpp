// The password prompt on a terminal, as a person meets it: corvane runs on a
// pseudo-terminal, asks for the password twice with echo off, and the
// password never appears on the screen.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <string>

#include "tests/cli/cli_runner.h"

namespace corvane::cli_test {
namespace {

constexpr char kSecret[] = "Tty-Secret-9!";

class TerminalSession {
 public:
  explicit TerminalSession(const std::vector<std::string>& args) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>("corvane"));
      for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      execv(CORVANE_BINARY, argv.data());
      _exit(127);
    }
  }
  ~TerminalSession() {
    if (master_ >= 0) close(master_);
    if (pid_ > 0 && status_ < 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  // Reads the screen until `text` shows and the terminal's echo is off, as
  // it is while corvane waits for a password. False after ten seconds.
  bool AwaitQuietPrompt(const std::string& text) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      termios mode{};
      if (screen_.find(text, seen_) != std::string::npos &&
          tcgetattr(master_, &mode) == 0 && !(mode.c_lflag & ECHO)) {
        seen_ = screen_.find(text, seen_) + text.size();
        return true;
      }
      ReadSome(50);
    }
    return false;
  }
  void Type(const std::string& line) {
    ASSERT_EQ(write(master_, line.data(), line.size()),
              static_cast<ssize_t>(line.size()));
  }
  // Reads the rest of the screen and the exit status.
  int Finish() {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline && ReadSome(100)) {
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
    return status_;
  }
  const std::string& screen() const { return screen_; }

 private:
  // False at the end of the output.
  bool ReadSome(int timeout_ms) {
    pollfd ready{master_, POLLIN, 0};
    if (poll(&ready, 1, timeout_ms) <= 0) return true;
    char buffer[512];
    const ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return false;  // EIO once the child has closed the terminal
    screen_.append(buffer, static_cast<size_t>(n));
    return true;
  }

  int master_ = -1;
  pid_t pid_ = -1;
  int status_ = -1;
  std::string screen_;
  std::size_t seen_ = 0;
};

std::vector<std::string> PasswordCommand(const TempDir& dir) {
  return {"--simulate", dir.File("state.json"),
          "--domain",   "CORVANE",
          "user",       "password",
          "bob"};
}

TEST(Terminal, PasswordIsAskedTwiceWithEchoOffAndNeverShown) {
  TempDir dir;
  TerminalSession session(PasswordCommand(dir));
  ASSERT_TRUE(session.AwaitQuietPrompt("New password for bob: "))
      << session.screen();
  session.Type(std::string(kSecret) + "\n");
  ASSERT_TRUE(session.AwaitQuietPrompt("Retype the password: "))
      << session.screen();
  session.Type(std::string(kSecret) + "\n");
  EXPECT_EQ(session.Finish(), 0) << session.screen();
  EXPECT_EQ(session.screen().find(kSecret), std::string::npos);
  EXPECT_NE(ReadFile(dir.File("state.json")).find(kSecret), std::string::npos)
      << "the simulated controller holds the new password";
}

TEST(Terminal, TwoDifferentPasswordsChangeNothing) {
  TempDir dir;
  TerminalSession session(PasswordCommand(dir));
  ASSERT_TRUE(session.AwaitQuietPrompt("New password for bob: "));
  session.Type(std::string(kSecret) + "\n");
  ASSERT_TRUE(session.AwaitQuietPrompt("Retype the password: "));
  session.Type("something else\n");
  EXPECT_EQ(session.Finish(), 2);
  EXPECT_NE(session.screen().find("do not match"), std::string::npos);
  EXPECT_EQ(session.screen().find(kSecret), std::string::npos);
  EXPECT_EQ(ReadFile(dir.File("state.json")).find(kSecret), std::string::npos);
}

TEST(Terminal, APromptShowsANameEscaped) {
  TempDir dir;
  TerminalSession session({"--simulate", dir.File("state.json"), "--domain",
                           "CORVANE", "user", "add", "x\x1b[2Jy"});
  ASSERT_TRUE(session.AwaitQuietPrompt("Password for new user x\\x1B[2Jy: "))
      << session.screen();
  EXPECT_EQ(session.screen().find('\x1b'), std::string::npos);
}

// What a name holds reaches a terminal escaped; a file gets it byte for byte.
TEST(Terminal, AnExportShowsNamesEscaped) {
  TempDir dir;
  const std::vector<std::string> domain = {"--simulate", dir.File("state.json"),
                                           "--domain", "CORVANE"};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin(), domain.begin(), domain.end());
    return args;
  };
  ASSERT_EQ(RunCorvane(with({"user", "set", "bob", "--full-name",
                             "\x1b]0;owned\a\x1b[2J"}))
                .status,
            0);
  TerminalSession session(with({"user", "export"}));
  EXPECT_EQ(session.Finish(), 0) << session.screen();
  EXPECT_EQ(session.screen().find('\x1b'), std::string::npos);
  EXPECT_NE(session.screen().find("\\x1B]0;owned\\x07"), std::string::npos)
      << session.screen();
  const std::string file = dir.File("export.csv");
  ASSERT_EQ(RunCorvane(with({"user", "export", file})).status, 0);
  EXPECT_NE(ReadFile(file).find("\x1b]0;owned\a\x1b[2J"), std::string::npos);
}

// On a terminal, user import counts the rows as it goes and clears the
// count at the end.
TEST(Terminal, ImportShowsItsProgressAndClearsIt) {
  TempDir dir;
  const std::string csv = dir.File("new.csv");
  std::ofstream(csv) << "name,full name\nuna,Una\nvic,Vic\nwes,Wes\n";
  TerminalSession session({"--simulate", dir.File("state.json"), "--domain",
                           "CORVANE", "user", "import", csv,
                           "--generate-passwords", dir.File("pw.txt")});
  EXPECT_EQ(session.Finish(), 0) << session.screen();
  const std::string& screen = session.screen();
  const auto one = screen.find("\r[##########                    ] 1/3");
  const auto all = screen.find("\r[##############################] 3/3");
  ASSERT_NE(one, std::string::npos) << screen;
  ASSERT_NE(all, std::string::npos) << screen;
  EXPECT_LT(one, all);
  EXPECT_NE(screen.find("\r\033[K", all), std::string::npos);
}

// A random password is shown once, on the terminal, and kept by the
// controller; the audit copy never sees it.
TEST(Terminal, ARandomPasswordIsShownOnceOnTheTerminal) {
  TempDir dir;
  const std::string audit = dir.File("audit.log");
  TerminalSession session({"--simulate", dir.File("state.json"), "--domain",
                           "CORVANE", "--audit", audit, "--log-level", "full",
                           "user", "add", "gil", "--random-password"});
  EXPECT_EQ(session.Finish(), 0) << session.screen();
  const std::smatch shown = [&] {
    std::smatch match;
    std::regex_search(session.screen(), match,
                      std::regex("password for gil: ([^\r\n]{16})\r?\n"));
    return match;
  }();
  ASSERT_EQ(shown.size(), 2u) << session.screen();
  const std::string password = shown[1];
  EXPECT_NE(ReadFile(dir.File("state.json")).find(password), std::string::npos);
  EXPECT_EQ(ReadFile(audit).find(password), std::string::npos);
}

}  // namespace
}  // namespace corvane::cli_test
