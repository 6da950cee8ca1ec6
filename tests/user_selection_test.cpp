// Selecting an account fills the cache the getters answer from; a failed
// selection empties it. The owner is a domain or a group.
#include "tests/fixture.h"
#include "user/nt_user.h"

namespace corvane::testing {
namespace {

using netapi::UF_ACCOUNTDISABLE;
using netapi::UF_LOCKOUT;

class UserSelectionTest : public ClientTest {
 protected:
  struct Cache {
    std::u16string name, home_dir, comment, script_path, full_name;
    std::int32_t privilege;
    bool disabled, locked_out;
    bool operator==(const Cache&) const = default;
  };
  static Cache Read(const ObjectRef& users) {
    return {Text(users, u"sUserName"), Text(users, u"sHomeDir"),
            Text(users, u"sComment"),  Text(users, u"sScriptPath"),
            Text(users, u"sFullName"), Number(users, u"ePrivilege"),
            Flag(users, u"bDisabled"), Flag(users, u"bLockedOut")};
  }
  static inline const Cache kEmpty{u"", u"", u"", u"", u"", 0, false, false};
};

TEST_F(UserSelectionTest, ANewUserObjectIsEmpty) {
  ObjectRef users = Object(NewDomain(), u"Users");
  EXPECT_EQ(Read(users), kEmpty);
  EXPECT_EQ(Text(users, u"sLastError"), u"");
}

TEST_F(UserSelectionTest, SelectionFillsAndAFailedOneEmptiesTheCache) {
  ObjectRef users = Object(LocatedDomain(), u"Users");
  directory().FindUser(u"alice")->flags |=
      netapi::UF_ACCOUNTDISABLE | netapi::UF_LOCKOUT;
  Put(users, u"sUserName", u"ALICE");  // the caller's spelling is kept
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Read(users), (Cache{u"ALICE", u"\\\\FS1\\home\\alice", u"Accounts",
                                u"logon.cmd", u"Alice Archer", 1, true, true}));
  const JournalCall lookup = dc_.journal().Of("NetUserGetInfo").back();
  EXPECT_EQ(lookup.Text("servername"), u"\\\\DC1");
  EXPECT_EQ(lookup.Text("username"), u"ALICE");
  EXPECT_EQ(lookup.Number("level"), 2u);

  Put(users, u"sUserName", u"nobody");
  EXPECT_EQ(Read(users), kEmpty);
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to retrieve user information (error #2221)");

  Put(users, u"sUserName", u"");  // passed on like any other name
  EXPECT_EQ(dc_.journal().Of("NetUserGetInfo").back().Text("username"), u"");
  EXPECT_EQ(Read(users), kEmpty);
  EXPECT_TRUE(events().size() == 1) << "selections are never logged";
}

TEST_F(UserSelectionTest, PrivilegeFlagsAndLongValuesAreReadAsStored) {
  ObjectRef users = Object(LocatedDomain(), u"Users");
  Put(users, u"sUserName", u"Administrator");
  EXPECT_EQ(Number(users, u"ePrivilege"), 2);
  Put(users, u"sUserName", u"Guest");
  EXPECT_EQ(Number(users, u"ePrivilege"), 0);
  EXPECT_TRUE(Flag(users, u"bDisabled"));

  netapi::simulated::Account* bob = directory().FindUser(u"bob");
  bob->flags |= UF_ACCOUNTDISABLE | UF_LOCKOUT;
  bob->comment = std::u16string(300, u'c');  // longer than 127: read whole
  Put(users, u"sUserName", u"bob");
  EXPECT_TRUE(Flag(users, u"bDisabled"));
  EXPECT_TRUE(Flag(users, u"bLockedOut"));
  EXPECT_EQ(Text(users, u"sComment"), bob->comment);
}

TEST_F(UserSelectionTest, AGroupsUserObjectSelectsThroughTheGroupsDomain) {
  ObjectRef groups = Object(LocatedDomain(), u"Groups");
  Put(groups, u"sGroupName", u"Sales");
  ObjectRef members = Object(groups, u"Users");
  EXPECT_EQ(Object(members, u"oParent").get(), groups.get());
  Put(members, u"sUserName", u"carol");
  EXPECT_EQ(Text(members, u"sFullName"), u"Carol Clark");
  EXPECT_EQ(dc_.journal().Of("NetUserGetInfo").back().Text("servername"),
            u"\\\\DC1");
}

TEST_F(UserSelectionTest, TheSelectionSurvivesADomainChange) {
  ObjectRef domain = LocatedDomain();
  ObjectRef users = Object(domain, u"Users");
  Put(users, u"sUserName", u"bob");
  dc_.AddDomain(u"OTHER", u"DC9");
  Put(domain, u"sDomain", u"OTHER");
  EXPECT_EQ(Text(users, u"sUserName"), u"bob");
  EXPECT_EQ(Text(users, u"sFullName"), u"Bob Baker");
  Put(users, u"sComment", u"moved");  // goes to the new controller
  EXPECT_EQ(dc_.journal().Of("NetUserSetInfo").back().Text("servername"),
            u"\\\\DC9");
}

TEST_F(UserSelectionTest, FailuresBeforeAndAtTheLookup) {
  ObjectRef users = SelectedUser(u"bob");
  Put(users, u"sUserName", std::u16string(u"bob\0x", 5));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Text contains a NUL character");
  EXPECT_EQ(Read(users), kEmpty);
  EXPECT_EQ(dc_.journal().Count("NetUserGetInfo"), 0u);

  dc_.FailCall("NetUserGetInfo", 1, netapi::ERROR_ACCESS_DENIED);
  Put(users, u"sUserName", u"bob");
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to retrieve user information (error #5)");
  EXPECT_EQ(Read(users), kEmpty);
}

TEST_F(UserSelectionTest, AnOwnerMustBeADomainOrAGroup) {
  const common::Environment env{dc_, events_};
  auto user = std::make_shared<NTUser>(env);
  auto not_an_owner = std::make_shared<NTUser>(env);
  EXPECT_AUTOMATION_ERROR(user->SetParent(not_an_owner),
                          automation::DISP_E_TYPEMISMATCH);
  EXPECT_AUTOMATION_ERROR(user->SetParent(nullptr),
                          automation::DISP_E_TYPEMISMATCH);
}

}  // namespace
}  // namespace corvane::testing
