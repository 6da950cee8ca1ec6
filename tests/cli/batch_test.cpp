// corvane batch: task-command lines from a file, run on one domain object.
#include <fstream>

#include "tests/cli/cli_fixture.h"

namespace corvane::cli_test {
namespace {

using nlohmann::json;

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos;
       at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

class Batch : public CorvaneSession {
 protected:
  std::string File(const std::string& text) {
    const std::string path = dir_.File("lines" + std::to_string(++files_));
    std::ofstream(path) << text;
    return path;
  }
  int files_ = 0;
};

constexpr const char* kMixed =
    "# provisioning\n"
    "group add \"Night Shift\" --comment 'After #hours'  # quoted # kept\n"
    "user show nosuch\n"
    "\n"
    "group add-member 'Night Shift' bob\n"
    "group members Night\\ Shift\n";

TEST_F(Batch, KeepsGoingPastAFailedLineOnOneDomainObject) {
  const Outcome outcome =
      Corvane({"-d", "1", "batch", "--keep-going", File(kMixed)});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "bob\n");
  EXPECT_NE(outcome.err.find("corvane: line 3: user nosuch: ERROR"),
            std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("1 of 4 lines failed (3)\n"), std::string::npos);
  // The domain's controller is looked up once for the whole batch.
  EXPECT_EQ(Count(outcome.err, "NetGetDCName"), 1u) << outcome.err;
  EXPECT_EQ(Json({"group", "show", "Night Shift"})["comment"], "After #hours");

  const json document = Json({"batch", "--keep-going",
                              File("group show 'Night Shift'\n"
                                   "user show nosuch\n")},
                             1);
  EXPECT_EQ(document["failed"], json({2}));
  EXPECT_EQ(document["results"][0]["comment"], "After #hours");
  EXPECT_EQ(document["results"][1]["statusName"], "NERR_UserNotFound");
  EXPECT_EQ(document["results"][1]["ok"], false);
}

TEST_F(Batch, StopsAtTheFirstFailedLineByDefault) {
  const Outcome outcome = Corvane({"batch", File(kMixed)});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_NE(outcome.err.find("the 2 after line 3 did not run"),
            std::string::npos)
      << outcome.err;
  EXPECT_EQ(Ok({"group", "members", "Night Shift"}), "");
  EXPECT_EQ(
      Json({"batch", File("user show nosuch\nuser show bob\n")}, 1)["notRun"],
      1);
}

TEST_F(Batch, RefusesEveryLineBeforeAnyRuns) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {"user show bob --json", "line 2: --json is an option of corvane"},
      {"user show bob -W OTHER", "line 2: --domain is an option of corvane"},
      {"dc CORVANE", "line 2: only user and group commands"},
      {"invoke Users", "line 2: batch and invoke do not run"},
      {"user show 'bob", "line 2: unterminated '"},
      {"user shw bob", "line 2: unknown command"},
      {"--help", "line 2: help, --version"},
  };
  for (const auto& c : cases) {
    const Outcome outcome =
        Corvane({"batch", File(std::string("group add Never\n") + c.line)});
    EXPECT_EQ(outcome.status, 2) << c.line;
    EXPECT_NE(outcome.err.find(c.message), std::string::npos)
        << c.line << ": " << outcome.err;
  }
  EXPECT_EQ(Corvane({"group", "show", "Never"}).status, 1);
  EXPECT_NE(
      Corvane({"batch", File("# nothing\n")}).err.find("holds no command"),
      std::string::npos);
}

// The lifecycle options and renames run as lines too; a random password's
// file is named on its line, and the generated password takes no input.
TEST_F(Batch, LifecycleLinesAndRenames) {
  const std::string file = dir_.File("ivy.txt");
  const Outcome outcome =
      Corvane({"batch", "--passwords-from", File("Jo-Pass-word-1\n"),
               File("user add ivy --random-password --write-password " + file +
                    " --days 5\n"
                    "user add jo --must-change-at-next-login\n"
                    "user rename ivy ivy.v\n"
                    "group rename Sales Crew\n"
                    "group add-member Crew ivy.v\n"
                    "user list --expired\n")});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "password written to " + file + "\njo\n");
  EXPECT_EQ(ReadFile(file).rfind("ivy,", 0), 0u);
  EXPECT_FALSE(Json({"user", "show", "ivy.v"})["accountExpires"].is_null());
  EXPECT_NE(Ok({"group", "members", "Crew"}).find("ivy.v\n"),
            std::string::npos);
  // Refused before any line runs: a random password with no file, outside
  // a terminal.
  const Outcome refused =
      Corvane({"batch", File("group add Early\nuser add kim "
                             "--random-password\n")});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("line 2: --random-password"), std::string::npos)
      << refused.err;
  EXPECT_NE(Corvane({"group", "show", "Early"}).status, 0);
}

}  // namespace
}  // namespace corvane::cli_test
