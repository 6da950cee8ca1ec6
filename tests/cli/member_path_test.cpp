// The statements of corvane invoke as the parser reads them.
#include "cli/parsing/member_path.h"

#include <gtest/gtest.h>

#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

using Kind = Argument::Kind;

TEST(MemberPath, PathsAssignmentsAndCalls) {
  const Statement read = ParseStatement("Groups.Users.sLastError");
  ASSERT_EQ(read.path.size(), 3u);
  EXPECT_EQ(read.path[1].name, "Users");
  EXPECT_FALSE(read.assigned);
  EXPECT_EQ(PathName(read), "Groups.Users.sLastError");

  const Statement assign = ParseStatement("Users.sComment=a, b (c)=d");
  ASSERT_TRUE(assign.assigned);
  EXPECT_EQ(assign.assigned->kind, Kind::kText);
  EXPECT_EQ(assign.assigned->text, "a, b (c)=d");
  EXPECT_EQ(ParseStatement("Users.sComment=").assigned->kind, Kind::kText);
  EXPECT_EQ(ParseStatement("eLogging=-2").assigned->number, -2);

  const Statement call = ParseStatement(
      R"(Users.Add(carol, "Pw \"1\"",,  x y ,"",TRUE,2,@password))");
  const std::vector<Argument>& args = call.path.back().arguments;
  ASSERT_EQ(args.size(), 8u);
  EXPECT_EQ(args[0].text, "carol");
  EXPECT_EQ(args[1].text, "Pw \"1\"");
  EXPECT_EQ(args[2].kind, Kind::kMissing);
  EXPECT_EQ(args[3].text, "x y");
  EXPECT_EQ(args[4].kind, Kind::kText);
  EXPECT_EQ(args[4].text, "");
  EXPECT_TRUE(args[5].boolean);
  EXPECT_EQ(args[6].number, 2);
  EXPECT_EQ(args[7].kind, Kind::kPassword);
  EXPECT_EQ(PathName(call), "Users.Add");

  EXPECT_TRUE(ParseStatement("Users.Enumerate()").path.back().has_arguments);
  EXPECT_TRUE(
      ParseStatement("Users.Enumerate()").path.back().arguments.empty());
  // Too large for 32 bits: text, which the member may still convert.
  EXPECT_EQ(ParseStatement("x=99999999999").assigned->kind, Kind::kText);
}

TEST(MemberPath, MalformedStatementsAreUsageErrorsThatEchoNothing) {
  for (const char* text :
       {"", ".Users", "Users.", "Users..x", "Users.Add(a", "Users.Add(\"secret",
        "Users.Add(a\"b\")", "Users(1)x", "Users.x=\"a\"b", "9x"}) {
    try {
      ParseStatement(text);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const UsageError& error) {
      EXPECT_EQ(std::string(error.what()).find("secret"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace corvane::cli
