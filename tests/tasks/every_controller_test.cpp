// What only every controller together knows: each keeps its own logons,
// the latest wins and is credited to its controller, each controller is
// read once for a listing, and one that cannot be read is named while the
// others still answer.
#include "tasks/every_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "netapi/simulated/demo_domain.h"
#include "netapi/simulated/simulated_controller.h"
#include "tasks/listed_logons.h"
#include "tasks/listings.h"

namespace corvane::tasks {
namespace {

using netapi::simulated::Account;
using netapi::simulated::SimulatedController;

// Two simulated controllers of one domain, told apart by host; each keeps
// its own logons, as a real domain's controllers do.
struct TwoControllers : netapi::ControllerLogons {
  TwoControllers()
      : one(netapi::simulated::SeedDemoDomain(first)),
        two(netapi::simulated::SeedDemoDomain(second)) {}
  netapi::ControllerLogons& Of(const std::string& host) {
    return host == "dc1" ? first_logons : second_logons;
  }
  netapi::NET_API_STATUS ListLogons(
      const std::string& host,
      const std::function<bool(std::span<const netapi::ControllerLogon>)>&
          batch) override {
    return Of(host).ListLogons("\\\\DC1", batch);
  }
  netapi::NET_API_STATUS ReadLogon(const std::string& host,
                                   std::u16string_view name,
                                   netapi::ControllerLogon& logon) override {
    return Of(host).ReadLogon("\\\\DC1", name, logon);
  }
  SimulatedController first, second;
  netapi::simulated::Directory &one, &two;
  ListedLogons first_logons{first}, second_logons{second};
};

Time At(std::int64_t seconds) { return Time(std::chrono::seconds(seconds)); }

TEST(EveryController, TheLatestLogonWinsAndEachControllerIsReadOnce) {
  TwoControllers domain;
  auto& one = domain.one;
  auto& two = domain.two;
  one.FindUser(u"bob")->last_logon = 1700000000;
  two.FindUser(u"bob")->last_logon = 1700009000;
  two.FindUser(u"bob")->bad_pw_count = 2;
  one.FindUser(u"alice")->last_logon = 1700005000;
  // Made on the second and not replicated yet.
  Account newcomer;
  newcomer.name = u"newcomer";
  newcomer.last_logon = 1700001000;
  two.AddUser(newcomer);
  for (int i = 0; i < 3000; ++i) {
    // Built in place: g++ 12 warns falsely (-Wrestrict) about u"u" + ....
    std::u16string name(1, u'u');
    name.push_back(static_cast<char16_t>(u'a' + i % 26));
    name.append(static_cast<std::size_t>(i / 26 + 1), u'x');
    Account account;
    account.name = name;
    one.AddUser(account);
  }
  const DomainController controllers[] = {{"DC1", "dc1", ""},
                                          {"DC2", "dc2", ""},
                                          {"DC3", "dc3", "connection refused"}};
  std::map<std::string, LatestLogon> listed;
  std::vector<std::string> order;
  const LastLogonListing listing = WalkLastLogons(
      domain.first, UserBatches(domain.first, u"\\\\DC1"), domain, controllers,
      [&](std::string name, const LatestLogon& latest) {
        order.push_back(name);
        listed[name] = latest;
      });
  EXPECT_EQ(listing.result, "SUCCESS");
  ASSERT_EQ(listing.failures.size(), 1u);
  EXPECT_EQ(listing.failures[0].controller, "DC3");
  EXPECT_EQ(listed["bob"].time, At(1700009000));
  EXPECT_EQ(listed["bob"].controller, "DC2");
  EXPECT_EQ(listed["alice"].controller, "DC1");
  EXPECT_FALSE(listed["carol"].time);
  EXPECT_EQ(order.back(), "newcomer");
  EXPECT_EQ(listed["newcomer"].controller, "DC2");
  const auto normal = std::count_if(
      one.users().begin(), one.users().end(), [](const Account& account) {
        return (account.flags & netapi::UF_NORMAL_ACCOUNT) != 0;
      });
  EXPECT_EQ(order.size(), static_cast<std::size_t>(normal) + 1);
  // Batches of records from each controller, never a call per account.
  for (SimulatedController* controller : {&domain.first, &domain.second}) {
    EXPECT_EQ(controller->journal().Count("NetUserGetInfo"), 0u);
    EXPECT_LE(controller->journal().Count("NetUserEnum"), 25u);
  }

  const AccountOnControllers bob =
      ReadOnEveryController(domain, controllers, u"bob");
  ASSERT_EQ(bob.views.size(), 3u);
  EXPECT_EQ(bob.views[0].last_logon, At(1700000000));
  EXPECT_EQ(bob.views[1].bad_password_count, 2u);
  EXPECT_EQ(bob.views[2].error, "connection refused");
  EXPECT_EQ(bob.latest.controller, "DC2");
  // An account one controller does not hold yet is no failure of it.
  const AccountOnControllers new_one =
      ReadOnEveryController(domain, controllers, u"newcomer");
  EXPECT_FALSE(new_one.views[0].holds_account);
  EXPECT_EQ(new_one.views[0].error, "");
  EXPECT_TRUE(new_one.views[1].holds_account);
  EXPECT_EQ(new_one.latest.time, At(1700001000));
}

}  // namespace
}  // namespace corvane::tasks
