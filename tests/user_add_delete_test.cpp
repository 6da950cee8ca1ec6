// Adding and deleting users, for both kinds of owner: a domain's user
// object creates and deletes accounts; a group's adds and removes members.
#include "tests/fixture.h"
#include "tests/freed_memory_watch.h"

namespace corvane::testing {
namespace {

using Events = std::vector<std::u16string>;

class UserAddTest : public ClientTest {
 protected:
  ObjectRef DomainUsers(std::int32_t logging) {
    ObjectRef domain = LocatedDomain();
    Put(domain, u"eLogging", logging);
    events_.Clear();
    dc_.journal().Clear();
    return Object(domain, u"Users");
  }
  ObjectRef GroupUsers(std::u16string_view group,
                       std::int32_t logging = common::kLogAddDel) {
    ObjectRef domain = LocatedDomain();
    Put(domain, u"eLogging", logging);
    ObjectRef groups = Object(domain, u"Groups");
    Put(groups, u"sGroupName", std::u16string(group));
    events_.Clear();
    dc_.journal().Clear();
    return Object(groups, u"Users");
  }
  // Add(name, password, home, comment, script, full name, privilege, disabled)
  static std::vector<Variant> Args(Variant disabled = Variant::FromBool(false),
                                   Variant privilege = std::int32_t{1}) {
    return {u"dave",     u"Pw 1",      u"\\\\FS1\\dave", u"Engineering",
            u"dave.cmd", u"Dave Dean", privilege,        disabled};
  }
};

TEST_F(UserAddTest, ADomainAddSendsTheRecordThenSelectsTheNewAccount) {
  ObjectRef users = DomainUsers(common::kLogAddDel);
  EXPECT_TRUE(CallBool(users, u"Add", Args()));
  const JournalCall add = dc_.journal().Of("NetUserAdd").at(0);
  EXPECT_EQ(add.Text("servername"), u"\\\\DC1");
  EXPECT_EQ(add.Number("level"), 1u);
  EXPECT_EQ(add.Number("parm_err"), 0u);
  EXPECT_EQ(add.Text("usri1_name"), u"dave");
  EXPECT_EQ(add.Text("usri1_password"), u"Pw 1");
  EXPECT_EQ(add.Number("usri1_password_age"), 0u);
  EXPECT_EQ(add.Number("usri1_priv"), 1u);
  EXPECT_EQ(add.Text("usri1_home_dir"), u"\\\\FS1\\dave");
  EXPECT_EQ(add.Text("usri1_comment"), u"Engineering");
  EXPECT_EQ(add.Number("usri1_flags"), 0x201u);
  EXPECT_EQ(add.Text("usri1_script_path"), u"dave.cmd");
  for (const char* field : {"usri1_name", "usri1_password", "usri1_home_dir",
                            "usri1_comment", "usri1_script_path"}) {
    EXPECT_EQ(add.Number(std::string(field) + ".block_bytes"),
              2 * (add.Text(field).size() + 1))
        << field;
  }
  EXPECT_EQ(Text(users, u"sUserName"), u"dave");
  EXPECT_EQ(Text(users, u"sFullName"), u"Dave Dean");
  EXPECT_EQ(Text(users, u"sComment"), u"Engineering");
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(directory().FindUser(u"dave")->full_name, u"Dave Dean");
  EXPECT_EQ(events(), Events{u"Added user dave to CORVANE"});
}

TEST_F(UserAddTest, LogOrderAndGate) {
  ObjectRef users = DomainUsers(common::kLogFull);
  EXPECT_TRUE(CallBool(users, u"Add", Args()));
  EXPECT_EQ(events(), (Events{u"Changed full name for user dave to Dave Dean",
                              u"Added user dave to CORVANE"}));
  users = DomainUsers(common::kLogNone);
  auto args = Args();
  args[0] = u"erin";
  EXPECT_TRUE(CallBool(users, u"Add", args));
  EXPECT_TRUE(events().empty());

  // Any other level logs additions and deletions as LogAddDel does.
  for (const std::int32_t level : {3, -1}) {
    users = DomainUsers(level);
    args[0] = u"fred";
    EXPECT_TRUE(CallBool(users, u"Add", args));
    EXPECT_TRUE(CallBool(users, u"Delete"));
    EXPECT_EQ(events(), (Events{u"Added user fred to CORVANE",
                                u"Delete user fred from CORVANE"}))
        << "at level " << level;
  }
}

TEST_F(UserAddTest, DisabledFlagAndEmptyTexts) {
  ObjectRef users = DomainUsers(common::kLogAddDel);
  for (const Variant& disabled :
       {Variant::FromBool(true), Variant{std::int32_t{5}}, Variant{u"True"}}) {
    EXPECT_TRUE(CallBool(users, u"Add", Args(disabled)));
    EXPECT_EQ(dc_.journal().Of("NetUserAdd").back().Number("usri1_flags"),
              0x203u);
    EXPECT_TRUE(Flag(users, u"bDisabled"));
    directory().DeleteUser(u"dave");
  }
  std::vector<Variant> empty = {u"erin",         u"",      u"", u"", u"", u"",
                                std::int32_t{1}, Variant{}};
  EXPECT_TRUE(CallBool(users, u"Add", empty));
  const JournalCall add = dc_.journal().Of("NetUserAdd").back();
  EXPECT_EQ(add.Number("usri1_flags"), 0x201u);  // an empty variant is false
  for (const char* field : {"usri1_password", "usri1_home_dir", "usri1_comment",
                            "usri1_script_path"}) {
    EXPECT_FALSE(add.IsNullText(field));
    EXPECT_EQ(add.Text(field), u"");
    EXPECT_EQ(add.Number(std::string(field) + ".block_bytes"), 2u);
  }
  // An empty full name is written too.
  EXPECT_EQ(
      dc_.journal().Of("NetUserSetInfo").back().Text("usri1011_full_name"),
      u"");
}

TEST_F(UserAddTest, MissingOrUnconvertibleParametersSendNothing) {
  ObjectRef users = DomainUsers(common::kLogAddDel);
  EXPECT_AUTOMATION_ERROR(Call(users, u"Add", {u"dave"}),
                          automation::DISP_E_TYPEMISMATCH);
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  auto no_privilege = Args();
  no_privilege[6] = automation::Missing{};
  EXPECT_AUTOMATION_ERROR(Call(users, u"Add", no_privilege),
                          automation::DISP_E_TYPEMISMATCH);
  EXPECT_AUTOMATION_ERROR(Call(users, u"Add", Args(Variant{u"maybe"})),
                          automation::DISP_E_TYPEMISMATCH);
  // Every text is required for a domain account.
  for (size_t missing = 1; missing <= 5; ++missing) {
    auto args = Args();
    args[missing] = automation::Missing{};
    EXPECT_AUTOMATION_ERROR(Call(users, u"Add", args),
                            automation::DISP_E_TYPEMISMATCH);
  }
  EXPECT_EQ(dc_.journal().Count("NetUserAdd"), 0u);
  EXPECT_EQ(dc_.journal().Count("NetApiBufferAllocate"), 0u);
  EXPECT_EQ(directory().FindUser(u"dave"), nullptr);
}

TEST_F(UserAddTest, ARefusedAddChangesOnlyTheResult) {
  ObjectRef users = DomainUsers(common::kLogFull);
  Put(users, u"sUserName", u"bob");
  EXPECT_FALSE(
      CallBool(users, u"Add", Args(Variant::FromBool(false), std::int32_t{2})));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR 87 in parameter 5 when adding user dave");
  EXPECT_EQ(Text(users, u"sUserName"), u"bob");
  auto existing = Args();
  existing[0] = u"BOB";
  EXPECT_FALSE(CallBool(users, u"Add", existing));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR 2224 in parameter 0 when adding user BOB");
  existing[0] = u"eve\nmallory";
  EXPECT_FALSE(CallBool(users, u"Add", existing));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR 1358 in parameter 0 when adding user eve\nmallory");
  EXPECT_EQ(directory().FindUser(u"eve\nmallory"), nullptr);
  EXPECT_TRUE(events().empty());

  // The password block was wiped before release on the failure path too.
  const auto add = dc_.journal().Of("NetUserAdd").back();
  const auto address = add.Number("usri1_password.address");
  bool wiped = false;
  for (const auto& call : dc_.journal().Of("NetApiBufferFree")) {
    if (call.Number("address") == address) wiped = call.Number("all_zero") == 1;
  }
  EXPECT_TRUE(wiped);
}

// A password handed in as a secret reaches the controller, and no copy made
// on the way is released unwiped.
TEST_F(UserAddTest, APasswordLeavesNoUnwipedCopy) {
  constexpr std::u16string_view kFirst = u"correct horse battery staple";
  constexpr std::u16string_view kSecond = u"Tr0ub4dor&3 is not better";
  ObjectRef users = DomainUsers(common::kLogFull);
  auto args = Args();
  args[1] = automation::Share(automation::Secret(kFirst));
  {
    FreedMemoryWatch watch(kFirst);
    EXPECT_TRUE(CallBool(users, u"Add", std::move(args)));
    EXPECT_EQ(watch.unwiped_blocks(), 0u);
  }
  {
    FreedMemoryWatch watch(kSecond);
    Put(users, u"sPassword", automation::Share(automation::Secret(kSecond)));
    EXPECT_EQ(watch.unwiped_blocks(), 0u);
  }
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(directory().FindUser(u"dave")->password, kSecond);
}

TEST_F(UserAddTest, EveryAllocationFailureIsReportedAndNothingLeaks) {
  ObjectRef users = DomainUsers(common::kLogAddDel);
  for (int nth = 1; nth <= 5; ++nth) {
    dc_.FailCall("NetApiBufferAllocate", nth, netapi::ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(CallBool(users, u"Add", Args()));
    EXPECT_EQ(U8(Text(users, u"sLastError")),
              "ERROR 8 in parameter 0 when adding user dave");
    EXPECT_EQ(dc_.ledger().outstanding(), 0u);
  }
  EXPECT_EQ(dc_.journal().Count("NetUserAdd"), 0u);
  EXPECT_TRUE(events().empty());
}

TEST_F(UserAddTest, AnUnlocatedDomainStillSendsWithAnEmptyServer) {
  ObjectRef domain = NewDomain();
  ObjectRef users = Object(domain, u"Users");
  EXPECT_TRUE(CallBool(users, u"Add", Args()));
  EXPECT_EQ(dc_.journal().Of("NetUserAdd").at(0).Text("servername"), u"");
  EXPECT_NE(dc_.local_computer().FindUser(u"dave"), nullptr);
}

TEST_F(UserAddTest, EmptyNameOrANulIsRefusedForBothOwners) {
  for (ObjectRef users : {DomainUsers(1), GroupUsers(u"Sales")}) {
    EXPECT_FALSE(CallBool(users, u"Add", {u"", Variant{u"x"}}));
    EXPECT_EQ(U8(Text(users, u"sLastError")),
              "ERROR - User name not specified");
  }
  const std::u16string with_nul(u"dave\0x", 6);
  for (const std::size_t text : {0u, 1u, 5u}) {
    ObjectRef users = DomainUsers(1);
    auto args = Args();
    args[text] = with_nul;
    EXPECT_FALSE(CallBool(users, u"Add", args));
    EXPECT_EQ(U8(Text(users, u"sLastError")),
              "ERROR - Text contains a NUL character");
  }
  ObjectRef members = GroupUsers(u"Sales");
  EXPECT_FALSE(CallBool(members, u"Add", {with_nul}));
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR - Text contains a NUL character");
  EXPECT_EQ(dc_.journal().calls().size(), 0u);
  EXPECT_EQ(directory().FindUser(u"dave"), nullptr);
}

TEST_F(UserAddTest, AGroupAddMakesAMemberAndIgnoresTheRest) {
  ObjectRef members = GroupUsers(u"Sales");
  Put(members, u"sUserName", u"bob");
  EXPECT_TRUE(CallBool(members, u"Add", {u"alice", automation::Null{}}));
  EXPECT_EQ(Text(members, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(members, u"sUserName"), u"bob");
  const JournalCall add = dc_.journal().Of("NetGroupAddUser").at(0);
  EXPECT_EQ(add.Text("servername"), u"\\\\DC1");
  EXPECT_EQ(add.Text("groupname"), u"Sales");
  EXPECT_EQ(add.Text("username"), u"alice");
  EXPECT_EQ(directory().FindGroup(u"Sales")->members.back(), u"alice");
  EXPECT_EQ(events(), Events{u"Added user alice to Sales"});

  members = GroupUsers(u"Sales", common::kLogNone);
  EXPECT_TRUE(CallBool(members, u"Add", {u"Administrator"}));
  Put(members, u"sUserName", u"Administrator");
  EXPECT_TRUE(CallBool(members, u"Delete"));
  EXPECT_TRUE(events().empty()) << "membership changes logged at LogNone";
}

TEST_F(UserAddTest, GroupAddFailures) {
  ObjectRef members = GroupUsers(u"Sales");
  EXPECT_FALSE(CallBool(members, u"Add", {u"nobody"}));
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR - Unable to add user nobody to group Sales (error #2221)");
  EXPECT_FALSE(CallBool(members, u"Add", {u"bob"}));
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR - Unable to add user bob to group Sales (error #2236)");
  directory().DeleteGroup(u"Sales");
  EXPECT_FALSE(CallBool(members, u"Add", {u"alice"}));
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR - There is no **GLOBAL** group 'Sales'");
  EXPECT_TRUE(events().empty());
}

TEST_F(UserAddTest, AGroupAddWithNoGroupSelectedIsStillSent) {
  ObjectRef domain = LocatedDomain();
  ObjectRef groups = Object(domain, u"Groups");
  Put(groups, u"sGroupName", u"Sales");
  ObjectRef members = Object(groups, u"Users");
  Put(groups, u"sGroupName", u"");
  EXPECT_FALSE(CallBool(members, u"Add", {u"alice"}));
  EXPECT_EQ(dc_.journal().Of("NetGroupAddUser").at(0).Text("groupname"), u"");
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR - There is no **GLOBAL** group ''");
}

class UserDeleteTest : public UserAddTest {};

TEST_F(UserDeleteTest, ADomainDeleteRemovesTheAccountAndKeepsTheSelection) {
  ObjectRef users = DomainUsers(common::kLogAddDel);
  EXPECT_FALSE(CallBool(users, u"Delete"));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - No current user to delete");
  EXPECT_EQ(dc_.journal().Count("NetUserDel"), 0u);

  Put(users, u"sUserName", u"carol");
  EXPECT_TRUE(CallBool(users, u"Delete"));
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(users, u"sUserName"), u"carol");
  EXPECT_EQ(Text(users, u"sFullName"), u"Carol Clark");
  EXPECT_EQ(directory().FindUser(u"carol"), nullptr);
  EXPECT_EQ(events(), Events{u"Delete user carol from CORVANE"});

  EXPECT_FALSE(CallBool(users, u"Delete"));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to delete user carol (error #2221)");
  EXPECT_EQ(events().size(), 1u);

  ObjectRef quiet = DomainUsers(common::kLogNone);
  Put(quiet, u"sUserName", u"bob");
  EXPECT_TRUE(CallBool(quiet, u"Delete"));
  EXPECT_TRUE(events().empty());
}

TEST_F(UserDeleteTest, AGroupDeleteRemovesOnlyTheMembership) {
  ObjectRef members = GroupUsers(u"Sales");
  Put(members, u"sUserName", u"bob");
  EXPECT_TRUE(CallBool(members, u"Delete"));
  EXPECT_EQ(events(), Events{u"Deleted user bob from Sales"});
  EXPECT_NE(directory().FindUser(u"bob"), nullptr);
  EXPECT_EQ(directory().FindGroup(u"Sales")->members,
            std::vector<std::u16string>{u"carol"});
  const JournalCall removal = dc_.journal().Of("NetGroupDelUser").at(0);
  EXPECT_EQ(removal.Text("groupname"), u"Sales");
  EXPECT_EQ(removal.Text("username"), u"bob");

  EXPECT_FALSE(CallBool(members, u"Delete"));
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR - Unable to remove user bob from group Sales (error #2237)");
  directory().DeleteGroup(u"Sales");
  EXPECT_FALSE(CallBool(members, u"Delete"));
  EXPECT_EQ(U8(Text(members, u"sLastError")),
            "ERROR - There is no **GLOBAL** group 'Sales'");
  EXPECT_EQ(Text(members, u"sUserName"), u"bob");
  EXPECT_EQ(events().size(), 1u);
}

TEST_F(UserDeleteTest, AGroupDeleteNeedsASelectedGroup) {
  ObjectRef domain = LocatedDomain();
  ObjectRef groups = Object(domain, u"Groups");
  Put(groups, u"sGroupName", u"Sales");
  ObjectRef members = Object(groups, u"Users");
  Put(members, u"sUserName", u"bob");
  Put(groups, u"sGroupName", u"");
  EXPECT_FALSE(CallBool(members, u"Delete"));
  EXPECT_EQ(U8(Text(members, u"sLastError")), "ERROR - No group selected");
  EXPECT_EQ(dc_.journal().Count("NetGroupDelUser"), 0u);
}

TEST_F(UserDeleteTest, AnUnlocatedDomainStillSendsWithAnEmptyServer) {
  ObjectRef domain = LocatedDomain();
  ObjectRef users = Object(domain, u"Users");
  Put(users, u"sUserName", u"bob");
  Put(domain, u"sDomain", u"NOWHERE");
  EXPECT_FALSE(CallBool(users, u"Delete"));
  EXPECT_EQ(dc_.journal().Of("NetUserDel").at(0).Text("servername"), u"");
}

}  // namespace
}  // namespace corvane::testing
