// Disabling, enabling and unlocking: the flags word written is the
// controller's current word with one bit changed, the cache follows the word
// written, and the change is logged at LogFull only.
#include "tests/fixture.h"

namespace corvane::testing {
namespace {

using netapi::UF_ACCOUNTDISABLE;
using netapi::UF_LOCKOUT;

constexpr netapi::DWORD kDontExpirePassword = 0x10000;

class UserFlagsTest : public ClientTest {
 protected:
  netapi::DWORD& BobsFlags() { return directory().FindUser(u"bob")->flags; }
  std::uint64_t WrittenWord() {
    return dc_.journal().Of("NetUserSetInfo").back().Number("usri1008_flags");
  }
};

TEST_F(UserFlagsTest, DisableAndEnableWriteTheWordWithBitTwoChanged) {
  ObjectRef users = SelectedUser(u"bob");  // 0x201
  Put(users, u"bDisabled", Variant::FromBool(true));
  EXPECT_EQ(WrittenWord(), 0x203u);
  EXPECT_EQ(dc_.journal().Of("NetUserSetInfo").back().Number("level"), 1008u);
  EXPECT_TRUE(Flag(users, u"bDisabled"));
  EXPECT_EQ(BobsFlags(), 0x203u);
  Put(users, u"bDisabled", Variant::FromBool(false));
  EXPECT_EQ(WrittenWord(), 0x201u);
  EXPECT_FALSE(Flag(users, u"bDisabled"));
  Put(users, u"bDisabled", std::int32_t{1});  // any non-zero value disables
  EXPECT_EQ(WrittenWord(), 0x203u);
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(events(), (std::vector<std::u16string>{
                          u"Changed disabled flag for user bob to True",
                          u"Changed disabled flag for user bob to False",
                          u"Changed disabled flag for user bob to True"}));
}

TEST_F(UserFlagsTest, UnlockClearsOnlyTheLockOutBit) {
  BobsFlags() = 0x211;
  ObjectRef users = SelectedUser(u"bob");
  EXPECT_TRUE(Flag(users, u"bLockedOut"));
  Put(users, u"bDisabled", Variant::FromBool(true));
  EXPECT_EQ(WrittenWord(), 0x213u);  // the lock-out bit written back
  EXPECT_TRUE(Flag(users, u"bLockedOut"));
  Call(users, u"UnlockAccount");
  EXPECT_EQ(WrittenWord(), 0x203u);
  EXPECT_FALSE(Flag(users, u"bLockedOut"));
  EXPECT_TRUE(Flag(users, u"bDisabled"));
  EXPECT_EQ(events().back(), u"Unlocked user bob");

  // Unlocking an account that is not locked, or disabling a disabled
  // one, still writes, unchanged.
  Call(users, u"UnlockAccount");
  EXPECT_EQ(WrittenWord(), 0x203u);
  Put(users, u"bDisabled", Variant::FromBool(true));
  EXPECT_EQ(WrittenWord(), 0x203u);
  EXPECT_EQ(dc_.journal().Count("NetUserSetInfo"), 4u);
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(events().size(), 4u);
}

TEST_F(UserFlagsTest, ChangesMadeOnTheControllerSinceSelectionAreKept) {
  ObjectRef users = SelectedUser(u"bob");
  BobsFlags() |= kDontExpirePassword;  // an administrator's change
  Put(users, u"bDisabled", Variant::FromBool(true));
  EXPECT_EQ(WrittenWord(), 0x10203u);
  EXPECT_EQ(BobsFlags(), 0x10203u);
  BobsFlags() |= UF_LOCKOUT;  // locked out meanwhile
  Put(users, u"bDisabled", Variant::FromBool(false));
  EXPECT_EQ(WrittenWord(), 0x10211u);
  EXPECT_TRUE(Flag(users, u"bLockedOut")) << "the cache follows the word";
}

TEST_F(UserFlagsTest, LoggingGate) {
  for (std::int32_t level : {0, 1, 5}) {
    ObjectRef users = SelectedUser(u"bob", level);
    Put(users, u"bDisabled", Variant::FromBool(true));
    Call(users, u"UnlockAccount");
    EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
    EXPECT_TRUE(events().empty()) << "at level " << level;
  }
}

TEST_F(UserFlagsTest, FailuresLeaveTheCacheAsItWas) {
  BobsFlags() = 0x211;
  ObjectRef users = SelectedUser(u"bob");
  dc_.FailCall("NetUserSetInfo", 1, netapi::ERROR_ACCESS_DENIED);
  Put(users, u"bDisabled", Variant::FromBool(true));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to set disabled status (error #5)");
  // The read of the current word fails: nothing is written.
  dc_.FailCall("NetUserGetInfo", 1, netapi::ERROR_BAD_NETPATH);
  Call(users, u"UnlockAccount");
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to set lockout status (error #53)");
  EXPECT_EQ(dc_.journal().Count("NetUserSetInfo"), 1u);
  EXPECT_FALSE(Flag(users, u"bDisabled"));
  EXPECT_TRUE(Flag(users, u"bLockedOut"));
  EXPECT_EQ(BobsFlags(), 0x211u);
  EXPECT_TRUE(events().empty());

  // The account is gone from the controller.
  directory().DeleteUser(u"bob");
  Put(users, u"bDisabled", Variant::FromBool(true));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Unable to set disabled status (error #2221)");
}

TEST_F(UserFlagsTest, NothingHappensWithoutASelection) {
  ObjectRef users = Object(LocatedDomain(), u"Users");
  Put(users, u"bDisabled", Variant::FromBool(true));
  EXPECT_EQ(U8(Text(users, u"sLastError")), "ERROR - No user specified");
  Call(users, u"UnlockAccount");
  EXPECT_EQ(U8(Text(users, u"sLastError")), "ERROR - No user specified");
  EXPECT_EQ(dc_.journal().Count("NetUserGetInfo"), 0u);
  EXPECT_EQ(dc_.journal().Count("NetUserSetInfo"), 0u);
}

}  // namespace
}  // namespace corvane::testing
