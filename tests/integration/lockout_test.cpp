// A real lock-out: the domain's threshold set with samba-tool, failed logons
// made with smbclient, the lock seen as UF_LOCKOUT and cleared through 1008.
#include <gtest/gtest.h>

#include "tests/integration/accounts.h"

namespace corvane::integration {
namespace {

using netapi::DWORD;
using netapi::NERR_Success;

constexpr int kThreshold = 3;

DWORD Flags(const std::u16string& user) {
  netapi::ApiBuffer buffer(TheApi());
  EXPECT_EQ(TheApi().NetUserGetInfo(u"", user.c_str(), 2, buffer.put()),
            NERR_Success);
  return buffer.get() == nullptr
             ? 0
             : buffer.As<netapi::USER_INFO_2>()->usri2_flags;
}

netapi::NET_API_STATUS SetFlags(const std::u16string& user, DWORD flags) {
  netapi::USER_INFO_1008 record{flags};
  DWORD parm_err = 0;
  return TheApi().NetUserSetInfo(u"", user.c_str(), 1008,
                                 reinterpret_cast<netapi::LPBYTE>(&record),
                                 &parm_err);
}

class Lockout : public ::testing::Test {
 protected:
  void SetUp() override { SetLockoutThreshold(kThreshold); }
  void TearDown() override { SetLockoutThreshold(0); }
};

TEST_F(Lockout, FailedLogonsLockAndLevel1008Unlocks) {
  ScopedUser user(W(UniqueName("cvlck")));
  const std::string name = Narrow(user.c_str());
  ASSERT_EQ(AddUser(user.name()), NERR_Success);
  EXPECT_EQ(Flags(user.name()) & netapi::UF_LOCKOUT, 0u);

  for (int i = 0; i <= kThreshold; ++i) {
    EXPECT_FALSE(LogonSucceeds(name, "Wrong-Pa55word!"));
  }
  const DWORD locked = Flags(user.name());
  ASSERT_NE(locked & netapi::UF_LOCKOUT, 0u) << std::hex << locked;
  EXPECT_FALSE(LogonSucceeds(name, kPassword));

  // Disabling a locked account writes the lock-out bit back as it was: the
  // account stays locked.
  ASSERT_EQ(SetFlags(user.name(), locked | netapi::UF_ACCOUNTDISABLE),
            NERR_Success);
  EXPECT_NE(Flags(user.name()) & netapi::UF_LOCKOUT, 0u);
  ASSERT_EQ(SetFlags(user.name(), locked), NERR_Success);

  // Unlocking: the same word with the lock-out bit cleared.
  ASSERT_EQ(SetFlags(user.name(), locked & ~netapi::UF_LOCKOUT), NERR_Success);
  const DWORD unlocked = Flags(user.name());
  EXPECT_EQ(unlocked & netapi::UF_LOCKOUT, 0u);
  EXPECT_EQ(unlocked & netapi::UF_ACCOUNTDISABLE, 0u);
  EXPECT_TRUE(LogonSucceeds(name, kPassword));

  // Unlocking an account that is not locked changes nothing.
  ASSERT_EQ(SetFlags(user.name(), unlocked & ~netapi::UF_LOCKOUT),
            NERR_Success);
  EXPECT_EQ(Flags(user.name()), unlocked);
}

}  // namespace
}  // namespace corvane::integration
