// The five text setters: each writes one single-field level, reports its own
// error text, updates only its own cached member and only on success, and
// logs at LogFull only. The password is never kept or logged, and its block
// is wiped before release.
#include "tests/fixture.h"

namespace corvane::testing {
namespace {

struct Setter {
  const char16_t* member;
  std::uint64_t level;
  const char* field;
  const char* error;
  const char* event;  // before the user name
};

const Setter kSetters[] = {
    {u"sFullName", 1011, "usri1011_full_name", "Unable to set full name",
     "Changed full name for user "},
    {u"sScriptPath", 1009, "usri1009_script_path", "Unable to set script path",
     "Changed login script for user "},
    {u"sComment", 1007, "usri1007_comment", "Unable to set comment",
     "Set comment for user "},
    {u"sHomeDir", 1006, "usri1006_home_dir", "Unable to set home directory",
     "Changed home directory for user "},
    {u"sPassword", 1003, "usri1003_password", "Unable to set password",
     "Set password for user "},
};

const char16_t* kCached[] = {u"sFullName", u"sScriptPath", u"sComment",
                             u"sHomeDir"};

class UserSetterTest : public ClientTest,
                       public ::testing::WithParamInterface<Setter> {
 protected:
  bool IsPassword() const {
    return std::u16string_view(GetParam().member) == u"sPassword";
  }
  std::map<std::u16string, std::u16string> CachedValues(const ObjectRef& u) {
    std::map<std::u16string, std::u16string> values;
    for (const char16_t* member : kCached) values[member] = Text(u, member);
    return values;
  }
};

TEST_P(UserSetterTest, WritesItsLevelAndUpdatesOnlyItsOwnMember) {
  const Setter& setter = GetParam();
  ObjectRef users = SelectedUser(u"alice");
  auto expected = CachedValues(users);
  Put(users, setter.member, u"New value \u00e9");

  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  const JournalCall call = dc_.journal().Of("NetUserSetInfo").at(0);
  EXPECT_EQ(call.Text("servername"), u"\\\\DC1");
  EXPECT_EQ(call.Text("username"), u"alice");
  EXPECT_EQ(call.Number("level"), setter.level);
  EXPECT_EQ(call.Text(setter.field), u"New value \u00e9");
  EXPECT_EQ(call.Number(std::string(setter.field) + ".block_bytes"), 2u * 12);
  if (!IsPassword()) expected[setter.member] = u"New value \u00e9";
  EXPECT_EQ(CachedValues(users), expected);

  ASSERT_EQ(events().size(), 1u);
  const std::string event = setter.event + std::string("alice");
  EXPECT_EQ(U8(events()[0]),
            IsPassword() ? event : event + " to New value \u00e9");
}

TEST_P(UserSetterTest, AnEmptyValueIsAnEmptyString) {
  ObjectRef users = SelectedUser(u"alice");
  Put(users, GetParam().member, u"");
  const JournalCall call = dc_.journal().Of("NetUserSetInfo").at(0);
  EXPECT_EQ(call.Text(GetParam().field), u"");
  EXPECT_EQ(call.Number(std::string(GetParam().field) + ".block_bytes"), 2u);
  if (!IsPassword()) {
    EXPECT_EQ(Text(users, GetParam().member), u"");
  }
}

TEST_P(UserSetterTest, LogsOnlyAtLogFull) {
  for (std::int32_t level : {0, 1, 3, -1}) {
    ObjectRef users = SelectedUser(u"alice", level);
    Put(users, GetParam().member, u"x");
    EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
    EXPECT_TRUE(events().empty()) << "at level " << level;
  }
}

TEST_P(UserSetterTest, FailuresChangeNothingButTheResult) {
  const Setter& setter = GetParam();
  ObjectRef users = SelectedUser(u"alice");
  Put(users, setter.member, u"first");
  const auto cached = CachedValues(users);
  events_.Clear();

  // Refused by the controller.
  dc_.FailCall("NetUserSetInfo", 1, netapi::ERROR_ACCESS_DENIED);
  Put(users, setter.member, u"second");
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - " + std::string(setter.error) + " (error #5)");
  // No block for the value: no call at all.
  dc_.FailCall("NetApiBufferAllocate", 1, netapi::ERROR_NOT_ENOUGH_MEMORY);
  Put(users, setter.member, u"third");
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - " + std::string(setter.error) + " (error #8)");
  // Text the platform would cut at a NUL.
  Put(users, setter.member, std::u16string(u"fourth\0x", 8));
  EXPECT_EQ(U8(Text(users, u"sLastError")),
            "ERROR - Text contains a NUL character");

  EXPECT_EQ(dc_.journal().Count("NetUserSetInfo"), 2u);
  EXPECT_EQ(CachedValues(users), cached);
  EXPECT_TRUE(events().empty());
}

TEST_P(UserSetterTest, NothingHappensWithoutASelection) {
  ObjectRef users = Object(LocatedDomain(), u"Users");
  Put(users, GetParam().member, u"x");
  EXPECT_EQ(U8(Text(users, u"sLastError")), "ERROR - No user specified");
  EXPECT_EQ(dc_.journal().Count("NetUserSetInfo"), 0u);
  EXPECT_EQ(dc_.journal().Count("NetApiBufferAllocate"), 0u);
}

INSTANTIATE_TEST_SUITE_P(AllSetters, UserSetterTest,
                         ::testing::ValuesIn(kSetters), [](const auto& info) {
                           return U8(info.param.member);
                         });

class UserPasswordTest : public ClientTest {};

TEST_F(UserPasswordTest, IsWipedBeforeReleaseAndNeverKept) {
  ObjectRef users = SelectedUser(u"bob");
  Put(users, u"sPassword", u"S3cret!");
  const auto& calls = dc_.journal().calls();
  const JournalCall set = dc_.journal().Of("NetUserSetInfo").at(0);
  const auto address = set.Number("usri1003_password.address");
  const auto freed = std::find_if(calls.begin(), calls.end(), [&](auto& c) {
    return c.operation == "NetApiBufferFree" && c.Number("address") == address;
  });
  ASSERT_NE(freed, calls.end());
  EXPECT_EQ(freed->Number("all_zero"), 1u);
  EXPECT_EQ(directory().FindUser(u"bob")->password, u"S3cret!");
  EXPECT_AUTOMATION_ERROR(Get(users, u"sPassword"),
                          automation::DISP_E_MEMBERNOTFOUND);
  ASSERT_EQ(events().size(), 1u);
  EXPECT_EQ(U8(events()[0]), "Set password for user bob");
}

}  // namespace
}  // namespace corvane::testing
