// Listing users: the domain's normal accounts, or the members of the group
// the owning group object has selected at the time of the call.
#include "tests/fixture.h"

namespace corvane::testing {
namespace {

using Names = std::vector<std::u16string>;

class UserEnumerateTest : public ClientTest {
 protected:
  void AddUsers(int count) {
    for (int i = 0; i < count; ++i) {
      netapi::simulated::Account account;
      account.name = automation::Widen("user" + std::to_string(i));
      directory().users().push_back(account);
    }
  }
};

TEST_F(UserEnumerateTest, ADomainListsOnlyNormalAccounts) {
  ObjectRef users = Object(LocatedDomain(), u"Users");
  Put(users, u"sUserName", u"alice");
  EXPECT_EQ(Enumerate(users), (Names{u"", u"Administrator", u"Guest", u"alice",
                                     u"bob", u"carol"}));
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(users, u"sUserName"), u"alice");
  EXPECT_EQ(Text(users, u"sFullName"), u"Alice Archer");
  const JournalCall call = dc_.journal().Of("NetUserEnum").at(0);
  EXPECT_EQ(call.Text("servername"), u"\\\\DC1");
  EXPECT_EQ(call.Number("level"), 0u);
  EXPECT_EQ(call.Number("filter"), netapi::FILTER_NORMAL_ACCOUNT);
  EXPECT_EQ(call.Number("prefmaxlen"), 255u);
  EXPECT_TRUE(events().size() == 1) << "enumerations are never logged";
}

TEST_F(UserEnumerateTest, BatchesGiveTheSameListAsOneBatch) {
  AddUsers(200);
  ObjectRef users = Object(LocatedDomain(), u"Users");
  Names expected{u""};
  for (const auto& account : directory().users()) {
    if (account.flags & netapi::UF_NORMAL_ACCOUNT) {
      expected.push_back(account.name);
    }
  }
  EXPECT_EQ(Enumerate(users), expected);
  EXPECT_GE(dc_.journal().Count("NetUserEnum"), 20u);
}

TEST_F(UserEnumerateTest, AFailedBatchKeepsEarlierNamesAndAnyOldListIsGone) {
  AddUsers(40);
  ObjectRef users = Object(LocatedDomain(), u"Users");
  dc_.FailCall("NetUserEnum", 3, netapi::ERROR_ACCESS_DENIED);
  const Names names = Enumerate(users);
  ASSERT_GT(names.size(), 3u);
  EXPECT_EQ(names[1], u"Administrator");
  EXPECT_EQ(U8(Text(users, u"sLastError")), "ERROR 5 enumerating user 0 of 0");

  auto list = std::make_shared<automation::StringArray>();
  list->Redim(5, 9);
  dc_.FailCall("NetUserEnum", 1, netapi::ERROR_BAD_NETPATH);
  Call(users, u"Enumerate", {list});
  EXPECT_EQ(list->elements(), (Names{u"", u"None"}));
  EXPECT_EQ(list->LowerBound(), 0);
}

TEST_F(UserEnumerateTest, AGroupListsItsMembersOrNone) {
  ObjectRef groups = Object(LocatedDomain(), u"Groups");
  Put(groups, u"sGroupName", u"Sales");
  ObjectRef members = Object(groups, u"Users");
  EXPECT_EQ(Enumerate(members), (Names{u"", u"bob", u"carol"}));
  const JournalCall call = dc_.journal().Of("NetGroupGetUsers").at(0);
  EXPECT_EQ(call.Text("groupname"), u"Sales");
  EXPECT_EQ(call.Number("prefmaxlen"), 255u);

  // Following the group's current selection.
  Put(groups, u"sGroupName", u"Domain Admins");
  EXPECT_EQ(Enumerate(members), (Names{u"", u"Administrator"}));

  directory().AddGroup({u"Empty", u"", {}, {}});
  directory().AddGroup({u"Odd", u"", {u"None"}, {}});
  Put(groups, u"sGroupName", u"Empty");
  EXPECT_EQ(Enumerate(members), (Names{u"", u"None"}));
  Put(groups, u"sGroupName", u"Odd");
  EXPECT_EQ(Enumerate(members), (Names{u"", u"None"}));
  EXPECT_EQ(Text(members, u"sLastError"), u"SUCCESS");
}

TEST_F(UserEnumerateTest, AMissingGroupGivesTheTwoLineText) {
  ObjectRef groups = Object(LocatedDomain(), u"Groups");
  Put(groups, u"sGroupName", u"Sales");
  ObjectRef members = Object(groups, u"Users");
  directory().DeleteGroup(u"Sales");
  EXPECT_EQ(Enumerate(members), (Names{u"", u"None"}));
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR 2220 enumerating user 0 of 0\r\n"
            "There is no **GLOBAL** group 'Sales'");

  Put(groups, u"sGroupName", u"");
  Enumerate(members);
  EXPECT_EQ(dc_.journal().Of("NetGroupGetUsers").back().Text("groupname"), u"");
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR 2220 enumerating user 0 of 0\r\n"
            "There is no **GLOBAL** group ''");
}

TEST_F(UserEnumerateTest, AFixedOrLockedArrayFailsBeforeAnythingChanges) {
  ObjectRef users = Object(LocatedDomain(), u"Users");
  Put(users, u"sUserName", u"nobody");
  const std::u16string before = Text(users, u"sLastError");
  auto fixed = std::make_shared<automation::StringArray>(
      automation::StringArray::FixedSize(0, 1));
  EXPECT_AUTOMATION_ERROR(Call(users, u"Enumerate", {fixed}),
                          automation::E_INVALIDARG);
  auto locked = std::make_shared<automation::StringArray>();
  locked->Lock();
  EXPECT_AUTOMATION_ERROR(Call(users, u"Enumerate", {locked}),
                          automation::DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(Text(users, u"sLastError"), before);
  EXPECT_EQ(dc_.journal().Count("NetUserEnum"), 0u);
}

TEST_F(UserEnumerateTest, The32768thNameOverflowsKeepingTheFirst32767) {
  AddUsers(32768 - 5);  // the demo domain has five normal accounts
  ObjectRef users = Object(LocatedDomain(), u"Users");
  auto list = std::make_shared<automation::StringArray>();
  EXPECT_AUTOMATION_ERROR(Call(users, u"Enumerate", {list}),
                          automation::DISP_E_OVERFLOW);
  EXPECT_EQ(list->UpperBound(), 32767);
  EXPECT_EQ(list->at(32767), u"user32761");
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");

  directory().users().pop_back();  // exactly 32,767 names fit
  EXPECT_EQ(Enumerate(users).size(), 32768u);
}

}  // namespace
}  // namespace corvane::testing
