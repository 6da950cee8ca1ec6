// A name holding control characters, as a controller may already hold one:
// every line corvane shows keeps it on that line, escaped, and long names
// are shortened in messages.
#include <fstream>

#include "automation/text.h"
#include "netapi/simulated/demo_domain.h"
#include "netapi/simulated/state_file.h"
#include "tests/cli/cli_fixture.h"

namespace corvane::cli_test {
namespace {

using netapi::simulated::kDemoController;

constexpr char kForged[] = "eve\nmallory\x1b[2J\r";
constexpr char kEscaped[] = "eve\\x0Amallory\\x1B[2J\\x0D";

class ForgedNames : public CorvaneSession {
 protected:
  void SetUp() override {
    CorvaneSession::SetUp();
    auto network = netapi::simulated::NewDemoNetwork();
    auto& directory = *network.controller->FindServer(kDemoController);
    netapi::simulated::Account eve;
    eve.name = automation::Widen(kForged);
    eve.flags = netapi::UF_SCRIPT | netapi::UF_NORMAL_ACCOUNT;
    eve.full_name = u"Eve\nEvil";
    directory.AddUser(eve);
    directory.FindGroup(u"Sales")->members.push_back(eve.name);
    std::ofstream(state_) << netapi::simulated::SaveState(network);
  }
};

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(ForgedNames, NeverMakeASecondLine) {
  EXPECT_EQ(Ok({"user", "list"}), "Administrator\nGuest\nalice\nbob\ncarol\n" +
                                      std::string(kEscaped) + "\n");
  EXPECT_EQ(Ok({"group", "members", "Sales"}),
            "bob\ncarol\n" + std::string(kEscaped) + "\n");
  const std::string shown = Ok({"user", "show", kForged});
  EXPECT_NE(shown.find("name:                 " + std::string(kEscaped) + "\n"),
            std::string::npos)
      << shown;
  EXPECT_NE(shown.find("full name:            Eve\\x0AEvil\n"),
            std::string::npos);
  // JSON keeps the name as it is.
  EXPECT_EQ(Json({"user", "list"})["users"].back(), kForged);

  const Outcome missing = Corvane({"group", "members", kForged});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(Lines(missing.err), 2u) << missing.err;
  EXPECT_NE(missing.err.find(kEscaped), std::string::npos);

  const Outcome deleted = Corvane({"--audit", "-", "user", "delete", kForged});
  EXPECT_EQ(deleted.status, 0) << deleted.err;
  EXPECT_NE(deleted.err.find("event: Delete user " + std::string(kEscaped) +
                             " from CORVANE\n"),
            std::string::npos)
      << deleted.err;
  EXPECT_EQ(deleted.err.find('\x1b'), std::string::npos);
}

TEST_F(CorvaneSession, LongNamesAreShortenedInMessages) {
  const std::string name(65536, 'x');
  const Outcome outcome = Corvane({"user", "show", name});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_LT(outcome.err.size(), 1000u);
  EXPECT_NE(outcome.err.find(std::string(200, 'x') + "\u2026"),
            std::string::npos);
  EXPECT_NE(outcome.err.find("2221 NERR_UserNotFound"), std::string::npos);
}

}  // namespace
}  // namespace corvane::cli_test
