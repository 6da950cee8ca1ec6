// corvane invoke: member paths evaluated in order on one domain object.
#include <fstream>

#include "tests/cli/cli_fixture.h"

namespace corvane::cli_test {
namespace {

TEST_F(CorvaneSession, AssignsReadsCallsAndPrintsArrays) {
  const Outcome outcome =
      Corvane({"invoke", "Users.sUserName=bob", "Users.sFullName",
               "Users.bDisabled", "Users.ePrivilege", "Groups.sGroupName=Sales",
               "Groups.Users.Enumerate()", "Groups.Users.sLastError", "sDC",
               "Users", "Groups.oParent.sDomain"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "Bob Baker\nFalse\n1\nbob\ncarol\nSUCCESS\n\\\\DC1\n[NTUser]\n"
            "CORVANE\n");
}

TEST_F(CorvaneSession, MethodCallsChangeTheDirectory) {
  Ok({"invoke", "Groups.Add(\"Night Shift\",\"After \"\"hours\"\"\")"});
  EXPECT_EQ(Json({"group", "show", "Night Shift"})["comment"],
            "After \"hours\"");
  EXPECT_EQ(Ok({"invoke", "Groups.Delete(\"Night Shift\")"}), "True\n");
  EXPECT_EQ(Ok({"invoke", "Users.Enumerate"}),
            "Administrator\nGuest\nalice\nbob\ncarol\n");
}

TEST_F(CorvaneSession, StopsAtTheFirstErrorText) {
  const Outcome outcome =
      Corvane({"invoke", "Users.sUserName=nosuch", "Groups.Add(Never,\"\")"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("Users.sUserName: ERROR - Unable to retrieve "
                             "user information (error #2221)"),
            std::string::npos)
      << outcome.err;
  EXPECT_EQ(Corvane({"group", "show", "Never"}).status, 1);

  const Outcome no_group = Corvane({"invoke", "Groups.Users.sLastError"});
  EXPECT_EQ(no_group.status, 1);
  EXPECT_NE(no_group.err.find("ERROR - No group specified"), std::string::npos);
}

TEST_F(CorvaneSession, KeepGoingRunsEveryStatement) {
  const std::vector<std::string> statements = {
      "invoke",           "--keep-going",        "Users.sUserName=nosuch",
      "Users.Frobnicate", "Users.sUserName=bob", "Users.sFullName"};
  const Outcome outcome = Corvane(statements);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "Bob Baker\n");
  EXPECT_NE(outcome.err.find("Users.Frobnicate: automation error 0x80020006"),
            std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("2 of 4 statements failed (1, 2)"),
            std::string::npos);

  const nlohmann::json document = Json(statements, 1);
  EXPECT_EQ(document["failed"], nlohmann::json({1, 2}));
  EXPECT_EQ(document["results"][0]["statusName"], "NERR_UserNotFound");
  EXPECT_EQ(document["results"][1]["automationError"]["number"], "0x80020006");
  EXPECT_EQ(document["results"][3]["value"], "Bob Baker");
  EXPECT_EQ(document["results"][3]["ok"], true);
}

TEST_F(CorvaneSession, StatementsFromAFileRunBeforeTheArguments) {
  const std::string file = dir_.File("statements");
  std::ofstream(file) << "# select, then change\n\n"
                         "Users.sUserName=bob   # a comment\n"
                         "Users.sComment=\"Room #4\"\n";
  EXPECT_EQ(Ok({"invoke", "-f", file, "Users.sComment"}), "Room #4\n");
  EXPECT_EQ(Ok({"invoke", "-f", "-"}, "Users.sUserName=bob\nUsers.sComment\n"),
            "Room #4\n");

  std::ofstream(file) << "Users.sUserName=alice\nUsers.(\n";
  const Outcome bad = Corvane({"invoke", "-f", file});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find(file + " line 2: column 7"), std::string::npos)
      << bad.err;
  EXPECT_EQ(Corvane({"invoke"}).status, 2);
  EXPECT_EQ(Corvane({"invoke", "-f", dir_.File("missing")}).status, 2);
}

TEST_F(CorvaneSession, AutomationErrorsShowNumberAndMeaning) {
  const Outcome write_only = Corvane({"invoke", "Users.sPassword"});
  EXPECT_EQ(write_only.status, 1);
  EXPECT_NE(write_only.err.find("0x80020003"), std::string::npos)
      << write_only.err;
  EXPECT_NE(Corvane({"invoke", "Users.Frobnicate"}).err.find("0x80020006"),
            std::string::npos);
  // A domain account needs every optional argument.
  const Outcome partial = Corvane({"invoke", "Users.Add(zed)"});
  EXPECT_EQ(partial.status, 1);
  EXPECT_NE(partial.err.find("0x80020005"), std::string::npos);

  const nlohmann::json document = Json({"invoke", "Users.sPassword"}, 1);
  EXPECT_EQ(document["automationError"]["number"], "0x80020003");
}

TEST_F(CorvaneSession, LoggingLevelCanBeSetByMember) {
  const Outcome outcome =
      Corvane({"--audit", "-", "invoke", "eLogging=2", "eLogging",
               "Users.sUserName=alice", "Users.sComment=Audited"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out, "2\n");
  EXPECT_NE(outcome.err.find("event: Set comment for user alice to Audited"),
            std::string::npos)
      << outcome.err;
}

}  // namespace
}  // namespace corvane::cli_test
