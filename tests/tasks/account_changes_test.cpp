// The changes the contract has no member for, and the listing with the
// accounts' facts, as the tasks make them on the simulated controller:
// exactly the level and record the platform defines for each, one call
// where one does, and every returned block released.
#include "tasks/account_changes.h"

#include <gtest/gtest.h>

#include "netapi/simulated/demo_domain.h"
#include "netapi/simulated/simulated_controller.h"
#include "tasks/listings.h"

namespace corvane::tasks {
namespace {

using netapi::simulated::Directory;
using netapi::simulated::SimulatedController;

constexpr char16_t kDc[] = u"\\\\DC1";

TEST(AccountChanges, EachIsTheLevelThePlatformDefines) {
  SimulatedController controller;
  Directory& domain = netapi::simulated::SeedDemoDomain(controller);
  auto& journal = controller.journal();
  const auto sid = domain.FindUser(u"bob")->sid;
  // Told as the classes tell an attribute change: under LogFull only.
  common::MemoryEventSink sink;
  const ChangeEvents events{&sink, common::kLogFull};

  EXPECT_EQ(RenameUser(controller, kDc, u"bob", u"robert", events), "SUCCESS");
  ASSERT_EQ(journal.Count("NetUserSetInfo"), 1u);
  EXPECT_EQ(journal.Of("NetUserSetInfo")[0].Number("level"), 0u);
  EXPECT_EQ(journal.Of("NetUserSetInfo")[0].Text("usri0_name"), u"robert");
  ASSERT_NE(domain.FindUser(u"robert"), nullptr);
  EXPECT_EQ(domain.FindUser(u"robert")->sid, sid);
  EXPECT_EQ(domain.FindGroup(u"Sales")->members.front(), u"robert");
  EXPECT_NE(
      RenameUser(controller, kDc, u"robert", u"alice", events).find("#2224"),
      std::string::npos);
  EXPECT_NE(
      RenameUser(controller, kDc, u"robert", u"Sales", events).find("#2223"),
      std::string::npos);

  const auto group_sid = domain.FindGroup(u"Sales")->sid;
  EXPECT_EQ(RenameGroup(controller, kDc, u"Sales", u"Marketing", events),
            "SUCCESS");
  EXPECT_EQ(journal.Of("NetGroupSetInfo").back().Text("grpi0_name"),
            u"Marketing");
  EXPECT_EQ(domain.FindGroup(u"Marketing")->sid, group_sid);

  journal.Clear();
  EXPECT_EQ(SetAccountExpiry(controller, kDc, u"robert",
                             Time(std::chrono::seconds(1900000000)), events),
            "SUCCESS");
  EXPECT_EQ(journal.Of("NetUserSetInfo")[0].Number("level"), 1017u);
  EXPECT_EQ(domain.FindUser(u"robert")->acct_expires, 1900000000u);
  EXPECT_EQ(SetAccountExpiry(controller, kDc, u"robert", std::nullopt, events),
            "SUCCESS");
  EXPECT_EQ(domain.FindUser(u"robert")->acct_expires, netapi::TIMEQ_FOREVER);
  EXPECT_EQ(journal.Count("NetUserSetInfo"), 2u);

  // Must change: the record read once and written back whole, without a
  // password; nothing written when it already reads so.
  journal.Clear();
  domain.FindUser(u"robert")->full_name = u"Robert B";
  EXPECT_EQ(SetMustChangePassword(controller, kDc, u"robert", true, events),
            "SUCCESS");
  ASSERT_EQ(journal.Count("NetUserSetInfo"), 1u);
  const auto set = journal.Of("NetUserSetInfo")[0];
  EXPECT_EQ(set.Number("level"), 4u);
  EXPECT_TRUE(set.IsNullText("usri4_password"));
  EXPECT_EQ(set.Text("usri4_full_name"), u"Robert B");
  EXPECT_EQ(set.Number("usri4_password_expired"), 1u);
  EXPECT_TRUE(domain.FindUser(u"robert")->password_expired);
  EXPECT_EQ(domain.FindUser(u"robert")->full_name, u"Robert B");
  EXPECT_EQ(SetMustChangePassword(controller, kDc, u"robert", true, events),
            "SUCCESS");
  EXPECT_EQ(journal.Count("NetUserSetInfo"), 1u);
  EXPECT_EQ(journal.Count("NetUserGetInfo"), 2u);
  EXPECT_EQ(SetMustChangePassword(controller, kDc, u"robert", false, events),
            "SUCCESS");
  EXPECT_FALSE(domain.FindUser(u"robert")->password_expired);
  EXPECT_NE(SetMustChangePassword(controller, kDc, u"nosuch", true, events)
                .find("#2221"),
            std::string::npos);
  EXPECT_EQ(controller.ledger().outstanding(), 0u);

  // One event a change made, none for a failed one or one not needed.
  EXPECT_EQ(
      sink.entries(),
      (std::vector<std::u16string>{
          u"Renamed user bob to robert", u"Renamed group Sales to Marketing",
          u"Changed account expiry for user robert to 2030-03-17 "
          u"17:46:40 UTC",
          u"Changed account expiry for user robert to never",
          u"Changed must change password for user robert to True",
          u"Changed must change password for user robert to False"}));
  sink.Clear();
  EXPECT_EQ(RenameUser(controller, kDc, u"robert", u"bob",
                       ChangeEvents{&sink, common::kLogAddDel}),
            "SUCCESS");
  EXPECT_TRUE(sink.entries().empty());
}

TEST(AccountChanges, TheFactsListingTakesOneCallPerBatch) {
  SimulatedController controller;
  Directory& domain = netapi::simulated::SeedDemoDomain(controller);
  for (int i = 0; i < 6000; ++i) {
    netapi::simulated::Account account;
    const std::string digits = std::to_string(i);
    account.name = u"u";
    account.name.append(digits.begin(), digits.end());
    account.flags |= i % 3 == 0 ? netapi::UF_ACCOUNTDISABLE : 0;
    account.last_logon = i % 2 == 0 ? 0 : 1700000000;
    domain.AddUser(std::move(account));
  }
  const AccountFilter filter{true, false, false, true};
  std::size_t kept = 0, seen = 0;
  const std::string result = WalkAccounts(
      controller, AccountBatches(controller, kDc), [&](ListedAccount account) {
        ++seen;
        if (filter.Matches(account)) ++kept;
      });
  EXPECT_EQ(result, "SUCCESS");
  EXPECT_EQ(seen, 6005u);
  EXPECT_EQ(kept, 1000u + 1u);  // every sixth, and Guest
  auto& journal = controller.journal();
  EXPECT_GT(journal.Count("NetUserEnum"), 1u);
  EXPECT_LT(journal.Count("NetUserEnum"), 20u);
  for (const auto& call : journal.Of("NetUserEnum")) {
    EXPECT_EQ(call.Number("level"), 3u);
  }
  EXPECT_EQ(journal.Count("NetUserGetInfo"), 0u);
  EXPECT_EQ(controller.ledger().outstanding(), 0u);
}

}  // namespace
}  // namespace corvane::tasks
