// An account's facts and groups as the tasks read them: each thing read
// once, the primary group named by one look-up however many groups the
// domain has, and a user's groups whole or not at all.
#include "tasks/account_facts.h"

#include <gtest/gtest.h>

#include "netapi/forwarding_api.h"
#include "netapi/simulated/demo_domain.h"
#include "netapi/simulated/simulated_controller.h"

namespace corvane::tasks {
namespace {

using netapi::simulated::Directory;
using netapi::simulated::Group;
using netapi::simulated::SimulatedController;

TEST(AccountFacts, EachThingIsReadOnceWhateverTheNumberOfGroups) {
  SimulatedController controller;
  Directory& domain = netapi::simulated::SeedDemoDomain(controller);
  for (int i = 0; i < 300; ++i) {
    std::u16string name = u"G";
    name += static_cast<char16_t>(u'a' + i % 26);
    name.append(i / 26 + 1, u'x');
    domain.AddGroup(Group{name, u"", {}, {}});
  }
  domain.FindUser(u"bob")->primary_group_id = 513;
  domain.FindUser(u"bob")->password_last_set = 1700000000;
  domain.FindGroup(u"Domain Users")->members.clear();  // as Samba lists it

  const Read<AccountFacts> read =
      ReadAccountFacts(controller, u"\\\\DC1", u"bob");
  ASSERT_TRUE(read.value) << read.error;
  EXPECT_EQ(read.value->primary_group, u"Domain Users");
  EXPECT_EQ(read.value->full_name, u"Bob Baker");
  EXPECT_EQ(read.value->password_expires,
            Time(std::chrono::seconds(1700000000 + 42 * 24 * 3600)));
  auto& journal = controller.journal();
  EXPECT_EQ(journal.Count("NetUserGetInfo"), 1u);
  EXPECT_EQ(journal.Of("NetUserGetInfo")[0].Number("level"), 4u);
  EXPECT_EQ(journal.Count("NetUserModalsGet"), 1u);
  EXPECT_EQ(journal.Count("LookupAccountSid"), 1u);
  EXPECT_EQ(journal.Count("NetGroupEnum"), 0u);
  EXPECT_EQ(journal.Count("LookupAccountName"), 0u);

  journal.Clear();
  const Read<UserGroups> groups =
      ReadUserGroups(controller, u"\\\\DC1", u"bob");
  ASSERT_TRUE(groups.value) << groups.error;
  EXPECT_EQ(groups.value->primary, u"Domain Users");
  ASSERT_FALSE(groups.value->names.empty());
  EXPECT_EQ(groups.value->names.front(), u"Domain Users");
  EXPECT_EQ(journal.Count("LookupAccountSid"), 1u);
  EXPECT_EQ(journal.Count("NetGroupEnum"), 0u);

  const Read<AccountFacts> missing =
      ReadAccountFacts(controller, u"\\\\DC1", u"nobody");
  EXPECT_FALSE(missing.value);
  EXPECT_NE(missing.error.find("Unable to retrieve user information"),
            std::string::npos)
      << missing.error;
}

// The platform's call has no resume handle: an answer cut short cannot be
// continued, and is a failure rather than a shorter list.
TEST(AccountFacts, AUsersGroupsCutShortAreAFailure) {
  SimulatedController controller;
  netapi::simulated::SeedDemoDomain(controller);
  struct CutShort : netapi::ForwardingApi {
    using ForwardingApi::ForwardingApi;
    int calls = 0;
    netapi::NET_API_STATUS NetUserGetGroups(
        netapi::LPCWSTR server, netapi::LPCWSTR user, netapi::DWORD level,
        netapi::LPBYTE* buffer, netapi::DWORD prefmaxlen, netapi::LPDWORD read,
        netapi::LPDWORD total) override {
      // The first answer is cut short; a second would start over.
      return ForwardingApi::NetUserGetGroups(server, user, level, buffer,
                                             ++calls == 1 ? 1 : prefmaxlen,
                                             read, total);
    }
  } api(controller);
  const auto groups = ReadUserGroups(api, u"\\\\DC1", u"bob");
  EXPECT_FALSE(groups.value);
  EXPECT_NE(groups.error.find("Unable to list the groups of bob"),
            std::string::npos)
      << groups.error;
  EXPECT_EQ(api.calls, 1);
}

}  // namespace
}  // namespace corvane::tasks
