// The SID text: the decimal values of the SID's bytes run together, read
// anew from the controller on every get through the sizing and the real
// lookup.
#include "tests/fixture.h"

namespace corvane::testing {
namespace {

class UserSidTest : public ClientTest {};

std::u16string ByteText(const netapi::simulated::Sid& sid) {
  std::u16string text;
  for (auto byte : sid) text += automation::Widen(std::to_string(byte));
  return text;
}

TEST_F(UserSidTest, TextIsTheBytesInDecimal) {
  directory().FindUser(u"carol")->sid =
      netapi::simulated::MakeSid(5, {32, 544});
  ObjectRef users = SelectedUser(u"carol");
  dc_.FailCall("LookupAccountName", 1, netapi::ERROR_ACCESS_DENIED);
  EXPECT_EQ(Text(users, u"sSID"), u"");
  // A good read replaces the earlier error.
  EXPECT_EQ(U8(Text(users, u"sSID")), "120000053200032200");
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");

  Put(users, u"sUserName", u"alice");
  const auto& sid = directory().FindUser(u"alice")->sid;
  ASSERT_EQ(sid.size(), 28u);
  EXPECT_EQ(Text(users, u"sSID"), ByteText(sid));
  EXPECT_TRUE(events().empty());
}

TEST_F(UserSidTest, EveryReadMakesBothLookupsOnTheCurrentController) {
  ObjectRef users = SelectedUser(u"alice");
  const std::u16string first = Text(users, u"sSID");
  EXPECT_EQ(Text(users, u"sSID"), first);
  const auto lookups = dc_.journal().Of("LookupAccountName");
  ASSERT_EQ(lookups.size(), 4u);
  EXPECT_EQ(lookups[0].Number("sid_size"), 0u);
  EXPECT_EQ(lookups[0].Number("referenced_domain_name_size"), 1u);
  EXPECT_EQ(lookups[1].Number("sid_size"), 28u);
  EXPECT_EQ(lookups[1].Number("referenced_domain_name_size"), 255u);
  for (const auto& lookup : lookups) {
    EXPECT_EQ(lookup.Text("system_name"), u"\\\\DC1");
    EXPECT_EQ(lookup.Text("account_name"), u"alice");
  }
}

TEST_F(UserSidTest, NamesOutsideAnyCodePageResolveToTheirOwnAccount) {
  netapi::simulated::Account account;
  account.name = u"\u65e5\u672c\u30e6\u30fc\u30b6";
  const auto& stored = directory().AddUser(account);
  const auto expected = ByteText(stored.sid);
  ObjectRef users = SelectedUser(account.name);
  EXPECT_EQ(Text(users, u"sSID"), expected);
}

TEST_F(UserSidTest, FailuresGiveAnEmptyTextAndTheirCode) {
  ObjectRef users = Object(LocatedDomain(), u"Users");
  EXPECT_EQ(Text(users, u"sSID"), u"");
  EXPECT_EQ(U8(Text(users, u"sLastError")), "ERROR - No user specified");
  EXPECT_EQ(dc_.journal().Count("LookupAccountName"), 0u);

  users = SelectedUser(u"bob");
  // The sizing lookup fails: the account is gone from the controller.
  directory().DeleteUser(u"bob");
  EXPECT_EQ(Text(users, u"sSID"), u"");
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to retrieve SID (error #1332)");
  EXPECT_EQ(dc_.journal().Count("LookupAccountName"), 1u);

  users = SelectedUser(u"alice");
  dc_.FailCall("NetApiBufferAllocate", 1, netapi::ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(Text(users, u"sSID"), u"");
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to retrieve SID (error #8)");

  dc_.FailCall("LookupAccountName", 2, netapi::ERROR_ACCESS_DENIED);
  EXPECT_EQ(Text(users, u"sSID"), u"");
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to retrieve SID (error #5)");
  // The reserved block was released on that path too (checked at TearDown).
}

TEST_F(UserSidTest, AnUnlocatedDomainLooksUpOnTheLocalComputer) {
  ObjectRef domain = LocatedDomain();
  ObjectRef users = Object(domain, u"Users");
  Put(users, u"sUserName", u"alice");
  Put(domain, u"sDomain", u"NOWHERE");
  EXPECT_EQ(Text(users, u"sSID"), u"");
  EXPECT_EQ(dc_.journal().Of("LookupAccountName").back().Text("system_name"),
            u"");
}

}  // namespace
}  // namespace corvane::testing
