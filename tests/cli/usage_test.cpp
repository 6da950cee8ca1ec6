// Help for every command, and usage errors (exit status 2) for command
// lines that cannot be carried out.
#include <sstream>

#include "tests/cli/cli_fixture.h"

namespace corvane::cli_test {
namespace {

TEST_F(CorvaneSession, EveryCommandHasHelp) {
  const std::vector<std::vector<std::string>> commands = {
      {},
      {"dc"},
      {"user"},
      {"group"},
      {"invoke"},
      {"user", "list"},
      {"user", "show"},
      {"user", "add"},
      {"user", "set"},
      {"user", "password"},
      {"user", "disable"},
      {"user", "enable"},
      {"user", "unlock"},
      {"user", "sid"},
      {"user", "delete"},
      {"group", "list"},
      {"group", "show"},
      {"group", "add"},
      {"group", "set"},
      {"group", "delete"},
      {"group", "members"},
      {"group", "add-member"},
      {"group", "remove-member"},
      {"user", "import"},
      {"batch"},
  };
  // Help fits the terminal's width.
  setenv("COLUMNS", "100", 1);
  for (std::vector<std::string> command : commands) {
    command.push_back("--help");
    const Outcome outcome = RunCorvane(command);
    SCOPED_TRACE(outcome.out);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.out.find("Usage:"), std::string::npos);
    std::istringstream lines(outcome.out);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LE(line.size(), 100u) << line;
    }
  }
  unsetenv("COLUMNS");
  EXPECT_NE(RunCorvane({"user", "add", "--help"}).out.find("--privilege"),
            std::string::npos);
  EXPECT_NE(RunCorvane({"invoke", "--help"}).out.find("@password"),
            std::string::npos);
  EXPECT_EQ(RunCorvane({"help", "user", "add"}).out,
            RunCorvane({"user", "add", "--help"}).out);
  EXPECT_EQ(RunCorvane({"help"}).out, RunCorvane({"--help"}).out);

  for (const char* flag : {"-V", "--version"}) {
    const Outcome version = RunCorvane({flag});
    EXPECT_EQ(version.status, 0);
#ifdef CORVANE_WITH_SAMBA
    EXPECT_EQ(version.out, "corvane 2.6.2\nbackends: simulated samba\n");
#else
    EXPECT_EQ(version.out, "corvane 2.6.2\nbackends: simulated\n");
#endif
  }
}

TEST_F(CorvaneSession, UnknownNamesAreNamedWithTheClosestMatch) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"user", "lst"},
       "unknown command 'lst' for corvane user; did you mean 'list'?"},
      {{"gruop", "list"},
       "unknown command 'gruop' for corvane; did you mean 'group'?"},
      {{"group", "add-membr", "Sales", "bob"}, "did you mean 'add-member'?"},
      {{"help", "user", "dlete"}, "did you mean 'delete'?"},
      {{"--jsno", "user", "list"},
       "unknown option --jsno; did you mean --json?"},
      {{"user", "add", "x", "--ful-name=Secret-Value"},
       "unknown option --ful-name; did you mean --full-name?"},
      {{"user", "Secret-Value-7"},
       "unknown command for corvane user (not shown"},
      // samba-tool's words, however far from ours.
      {{"user", "create", "x"},
       "did you mean 'add'? (samba-tool user create is corvane user add)"},
      {{"group", "listmembers", "Sales"}, "did you mean 'members'?"},
      {{"user", "add", "x", "--password=Secret-Value"},
       "a password is never taken from the command line (--password)"},
      {{"user", "show", "alice", "Secret-Value-8"},
       "(not shown); see corvane help user show"},
  };
  for (const auto& [args, message] : cases) {
    const Outcome outcome = Corvane(args);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.err.find("Secret-Value"), std::string::npos);
    EXPECT_EQ(outcome.out, "");
  }
}

TEST_F(CorvaneSession, UsageErrorsExitWithTwoAndChangeNothing) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"user"},
      {"user", "show"},
      {"user", "add", "x", "--privilege", "root"},
      {"user", "set", "alice"},
      {"group", "set", "Sales"},
      {"group", "add-member", "Sales"},
      {"--log-level", "loud", "user", "list"},
      {"invoke"},
      {"invoke", "Users..sFullName"},
      {"invoke", "Users.Add(x"},
      {"invoke", "1Users"},
  };
  for (const auto& args : bad) {
    const Outcome outcome = Corvane(args);
    EXPECT_EQ(outcome.status, 2) << outcome.err;
    EXPECT_FALSE(outcome.err.empty());
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_EQ(Ok({"user", "list"}), "Administrator\nGuest\nalice\nbob\ncarol\n");
}

TEST_F(CorvaneSession, DomainAndBackendMustBeGiven) {
  const Outcome no_domain = RunCorvane({"--simulate", state_, "user", "list"});
  EXPECT_EQ(no_domain.status, 2);
  EXPECT_NE(no_domain.err.find("--domain"), std::string::npos);

  setenv("CORVANE_DOMAIN", "CORVANE", 1);
  EXPECT_EQ(RunCorvane({"--simulate", state_, "group", "list"}).status, 0);
  setenv("CORVANE_SIMULATE", state_.c_str(), 1);
  EXPECT_EQ(RunCorvane({"group", "list"}).out,
            "Domain Admins\nDomain Users\nSales\n");
  unsetenv("CORVANE_SIMULATE");
  unsetenv("CORVANE_DOMAIN");

  // Nothing at all: a short usage; no domain at all: every way to give one.
  const Outcome bare = RunCorvane({});
  EXPECT_EQ(bare.status, 2);
  EXPECT_NE(
      bare.out.find("\n  corvane --simulate demo.json -W CORVANE user list"),
      std::string::npos)
      << bare.out;
  const Outcome first = RunCorvane({"user", "list"});
  EXPECT_EQ(first.status, 2);
  for (const char* way :
       {"--server HOST", "--realm", "-U USER", "kinit", "--simulate FILE"}) {
    EXPECT_NE(first.err.find(way), std::string::npos) << first.err;
  }

  const Outcome mixed =
      RunCorvane({"--simulate", state_, "--server", "127.0.0.2", "--domain",
                  "CORVANE", "user", "list"});
  EXPECT_EQ(mixed.status, 2);

  // No realm anywhere (no krb5.conf default): nothing to find the
  // controllers with, and nothing asked of the host's DNS.
  ::setenv("KRB5_CONFIG", "/dev/null", 1);
  const Outcome real = RunCorvane({"--domain", "CORVANE", "user", "list"});
  ::unsetenv("KRB5_CONFIG");
  EXPECT_EQ(real.status, 2);
#ifdef CORVANE_WITH_SAMBA
  EXPECT_NE(real.err.find("--server"), std::string::npos) << real.err;
#else
  EXPECT_NE(real.err.find("without the Samba backend"), std::string::npos)
      << real.err;
#endif
}

}  // namespace
}  // namespace corvane::cli_test
