// Passwords reach the controller only through the terminal or standard
// input: never on the command line, in the process list, the output or the
// audit trail.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <thread>

#include "tests/cli/cli_fixture.h"

namespace corvane::cli_test {
namespace {

using nlohmann::json;

std::string PasswordOf(const std::string& state_file, const std::string& user) {
  const json state = json::parse(ReadFile(state_file));
  for (const json& domain : state["domains"]) {
    for (const json& account : domain["users"]) {
      if (account["name"] == user) return account["password"];
    }
  }
  return "<no such user>";
}

// The NUL-separated argument list the system shows for a process.
std::string CommandLineOf(pid_t pid) {
  return ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
}

TEST_F(CorvaneSession, PasswordsComeFromStandardInputOnly) {
  const std::string audit = dir_.File("audit.log");
  const std::string first = "H_idden-Pass-71";
  RunningCommand add({"--simulate", state_, "--domain", "CORVANE",
                      "--log-level", "full", "--audit", audit, "-d", "3",
                      "user", "add", "hank", "--full-name", "Hank"});
  // The command waits for the password on standard input meanwhile.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const std::string listed = CommandLineOf(add.pid());
  EXPECT_NE(listed.find("hank"), std::string::npos);
  EXPECT_EQ(listed.find(first), std::string::npos);
  const Outcome added = add.Finish(first + "\r\n");
  EXPECT_EQ(added.status, 0) << added.err;
  EXPECT_EQ(PasswordOf(state_, "hank"), first);

  const std::string second = "H_idden-Pass-72";
  RunningCommand change({"--simulate", state_, "--domain", "CORVANE",
                         "--log-level", "full", "--audit", audit,
                         "--debug-level", "3", "user", "password", "hank"});
  EXPECT_EQ(CommandLineOf(change.pid()).find(second), std::string::npos);
  const Outcome changed = change.Finish(second + "\n");
  EXPECT_EQ(changed.status, 0) << changed.err;
  EXPECT_EQ(PasswordOf(state_, "hank"), second);

  // The call trace shows both password calls, but no password.
  EXPECT_NE(added.err.find("netapi: NetUserAdd server=\"\\\\DC1\" level=1 "
                           "status=0"),
            std::string::npos)
      << added.err;
  EXPECT_NE(changed.err.find("netapi: NetUserSetInfo server=\"\\\\DC1\" "
                             "level=1003 status=0"),
            std::string::npos)
      << changed.err;
  const std::string trail = ReadFile(audit);
  EXPECT_NE(trail.find("Set password for user hank"), std::string::npos);
  for (const Outcome* outcome : {&added, &changed}) {
    EXPECT_EQ(outcome->out.find("Hidden-Pass"), std::string::npos);
    EXPECT_EQ(outcome->err.find("Hidden-Pass"), std::string::npos);
  }
  EXPECT_EQ(trail.find("Hidden-Pass"), std::string::npos) << trail;
}

// Run as another user than root, so that the owner of its /proc files
// shows whether the kernel would dump it or let others trace it.
TEST_F(CorvaneSession, APromptHoldsNoLockAndThePasswordCannotBeDumped) {
  std::vector<std::string> launcher;
  if (::geteuid() == 0) {
    launcher = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                "--"};
  }
  RunningCommand add(
      {"--simulate", state_, "--domain", "CORVANE", "user", "add", "lena"},
      launcher);
  ASSERT_TRUE(add.WaitUntilAsleep());
  const std::string proc = "/proc/" + std::to_string(add.pid());
  const std::string status = ReadFile(proc + "/status");
  ASSERT_EQ(status.find("\nUid:\t0\t"), std::string::npos) << status;
  struct stat entry {};
  ASSERT_EQ(::stat((proc + "/status").c_str(), &entry), 0);
  EXPECT_EQ(entry.st_uid, 0u) << "the process is dumpable";
  EXPECT_TRUE(std::regex_search(ReadFile(proc + "/limits"),
                                std::regex("Max core file size +0 +0 ")));

  // Meanwhile the session's state is free for other commands.
  const int lock =
      ::open((state_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(lock, 0);
  EXPECT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0) << "the prompt holds the lock";
  ::close(lock);
}

TEST_F(CorvaneSession, NoPasswordInputMeansNoAccount) {
  const Outcome outcome = Corvane({"user", "add", "ivy"}, "");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("no password"), std::string::npos);
  EXPECT_EQ(Corvane({"user", "show", "ivy"}).status, 1);
}

TEST_F(CorvaneSession, PasswordsOnTheCommandLineAreRefusedUnechoed) {
  const std::string secret = "Typed-Secret-9";
  const std::vector<std::vector<std::string>> attempts = {
      {"user", "add", "jack", "--password", secret},
      {"user", "password", "bob", secret},
      {"invoke", "Users.Add(jack,\"" + secret + "\",\"\",\"\",\"\",\"J\",1,0)"},
      {"invoke", "Users.sUserName=bob", "Users.sPassword=" + secret},
      {"invoke", "Users.oParent.Users.sPassword=" + secret},
      {"invoke", "Users.Add(jack,\"" + secret},
      {"user", "list", "--pass=" + secret},
      {"user", secret},
  };
  for (const auto& args : attempts) {
    const Outcome outcome = Corvane(args);
    EXPECT_EQ(outcome.status, 2) << args.back();
    EXPECT_EQ(outcome.err.find(secret), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out.find(secret), std::string::npos);
  }
  EXPECT_EQ(Corvane({"user", "show", "jack"}).status, 1);
  EXPECT_EQ(PasswordOf(state_, "bob"), "Demo-Pass-1");

  // Refused before any connection is tried.
  const Outcome user_percent =
      RunCorvane({"--server", "127.0.0.9", "--domain", "CORVANE", "-U",
                  "Administrator%" + secret, "user", "list"});
#ifdef CORVANE_WITH_SAMBA
  const std::string auth = dir_.File("auth");
  std::ofstream(auth) << "username = a\npassword = " << secret << "\n";
  const Outcome readable = RunCorvane({"--server", "127.0.0.9", "--domain",
                                       "CORVANE", "-A", auth, "user", "list"});
  EXPECT_NE(readable.err.find("warning: -A " + auth), std::string::npos)
      << readable.err;
  EXPECT_EQ(readable.err.find(secret), std::string::npos);
#endif
  EXPECT_EQ(user_percent.status, 2);
  EXPECT_EQ(user_percent.err.find(secret), std::string::npos);
#ifdef CORVANE_WITH_SAMBA
  EXPECT_NE(user_percent.err.find("never taken from the command line"),
            std::string::npos)
      << user_percent.err;
#endif
}

TEST_F(CorvaneSession, InvokeReadsPasswordsFromStandardInput) {
  const Outcome outcome = Corvane(
      {"invoke", "Users.Add(kim,@password,\"\",\"\",\"\",\"Kim\",1,false)",
       "Users.sUserName=bob", "Users.sPassword=@password"},
      "K_im-Pass-1\nB_ob-Pass-2\n");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "True\n");
  EXPECT_EQ(PasswordOf(state_, "kim"), "K_im-Pass-1");
  EXPECT_EQ(PasswordOf(state_, "bob"), "B_ob-Pass-2");
}

// Statements or lines on standard input: the passwords come from a stream
// of their own, in the order they are used, each to its own statement even
// when an earlier one failed before using its password.
TEST_F(CorvaneSession, PasswordsFromASeparateStreamInOrder) {
  const std::string passwords = dir_.File("passwords");
  std::ofstream(passwords) << "K_im-Pass-1\nB_ob-Pass-2\n";
  const Outcome invoked =
      Corvane({"invoke", "-f", "-", "--passwords-from", passwords},
              "Users.Add(kim,@password,\"\",\"\",\"\",\"Kim\",1,false)\n"
              "Users.sUserName=bob\nUsers.sPassword=@password\n");
  EXPECT_EQ(invoked.status, 0) << invoked.err;
  // Mode 644: others may read it, which is said.
  EXPECT_NE(invoked.err.find("warning: --passwords-from " + passwords),
            std::string::npos)
      << invoked.err;
  EXPECT_EQ(PasswordOf(state_, "kim"), "K_im-Pass-1");
  EXPECT_EQ(PasswordOf(state_, "bob"), "B_ob-Pass-2");

  std::ofstream(passwords) << "L_ost-Pass-1\nC_arol-Pass-2\n";
  EXPECT_EQ(Corvane({"invoke", "--keep-going", "--passwords-from", passwords,
                     "Nothing.sPassword=@password", "Users.sUserName=carol",
                     "Users.sPassword=@password"})
                .status,
            1);
  EXPECT_EQ(PasswordOf(state_, "carol"), "C_arol-Pass-2");

  std::ofstream(passwords) << "L_ost-Pass-3\nA_lice-Pass-4\n";
  const Outcome batch =
      Corvane({"batch", "--keep-going", "--passwords-from", passwords, "-"},
              "user password nosuch\nuser password alice\n");
  EXPECT_EQ(batch.status, 1) << batch.err;
  EXPECT_EQ(PasswordOf(state_, "alice"), "A_lice-Pass-4");

  // A password left over: the stream does not match the statements.
  std::ofstream(passwords) << "B_ob-Pass-5\nE_xtra-Pass-6\n";
  const Outcome extra = Corvane({"batch", "--passwords-from", passwords, "-"},
                                "user password bob\n");
  EXPECT_EQ(extra.status, 2);
  EXPECT_NE(extra.err.find("more passwords than the 1"), std::string::npos)
      << extra.err;
  EXPECT_EQ(PasswordOf(state_, "bob"), "B_ob-Pass-2");
  EXPECT_EQ(Corvane({"invoke", "-f", "-", "--passwords-from", "-"},
                    "Users.sPassword=@password\n")
                .status,
            2);
}

}  // namespace
}  // namespace corvane::cli_test
