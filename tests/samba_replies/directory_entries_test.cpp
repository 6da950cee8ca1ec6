// Directory entries as a controller's LDAP replies hand them over: a good
// one reads as the account, and one the platform cannot hold is refused
// whole, never read in part.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <talloc.h>
// clang-format off
#include <ldb.h>
// clang-format on
}

#include "netapi/samba/ldap_users.h"

namespace {

// S-1-5-21-1-2-3-1105
const std::vector<std::uint8_t> kSid = {1, 5, 0, 0, 0,    0, 0, 5, 21, 0,
                                        0, 0, 1, 0, 0,    0, 2, 0, 0,  0,
                                        3, 0, 0, 0, 0x51, 4, 0, 0};

// The domain's policy: 30 minutes' lock-out, 42 days' password age.
constexpr std::uint64_t kNow = 133000000600000000;
constexpr std::int64_t kMinute = 600000000;
const corvane_ldap_policy kPolicy = {-30 * kMinute, -42 * 24 * 60 * kMinute,
                                     kNow};

struct Attribute {
  std::string name;
  std::string value;
};

ldb_message* Entry(TALLOC_CTX* memory, const std::vector<Attribute>& changes) {
  std::vector<Attribute> attributes = {
      {"sAMAccountName", "bob"},
      {"displayName", "Bob Builder"},
      {"lastLogon", "133000000000000000"},
      {"accountExpires", "9223372036854775807"},
      {"userAccountControl", "514"},
      {"lockoutTime", "133000000000000000"},  // a minute before kNow
      {"badPwdCount", "3"},
      {"objectSid", std::string(kSid.begin(), kSid.end())},
  };
  for (const Attribute& change : changes) {
    std::erase_if(attributes,
                  [&](const Attribute& a) { return a.name == change.name; });
    if (!change.value.empty()) attributes.push_back(change);
  }
  ldb_message* entry = ldb_msg_new(memory);
  for (const Attribute& attribute : attributes) {
    ldb_val value{};
    value.data = static_cast<std::uint8_t*>(
        talloc_memdup(entry, attribute.value.data(), attribute.value.size()));
    value.length = attribute.value.size();
    EXPECT_EQ(ldb_msg_add_value(entry, attribute.name.c_str(), &value, nullptr),
              LDB_SUCCESS);
  }
  return entry;
}

TEST(DirectoryEntries, AGoodEntryReadsAsTheAccount) {
  TALLOC_CTX* memory = talloc_new(nullptr);
  corvane_ldap_user read{};
  ASSERT_TRUE(
      corvane_ldap_read_user(Entry(memory, {}), memory, &kPolicy, &read));
  EXPECT_STREQ(read.user.account_name, "bob");
  EXPECT_STREQ(read.user.full_name, "Bob Builder");
  EXPECT_STREQ(read.user.comment, "");
  EXPECT_EQ(read.user.rid, 1105u);
  EXPECT_EQ(read.user.last_logon, 133000000000000000u);
  EXPECT_EQ(read.user.bad_password_count, 3u);
  EXPECT_EQ(read.user.primary_gid, 513u);  // absent: Domain Users
  // Disabled, locked a minute ago, no password set: the lock-out and
  // expired-password bits worked out as the controller does.
  EXPECT_EQ(read.account_control, 514u | 0x10u | 0x800000u);
  EXPECT_EQ(read.user.password_expired, 1);
  const std::string set_a_day_ago = std::to_string(kNow - 24 * 60 * kMinute);
  const std::pair<std::vector<Attribute>, std::uint32_t> worked_out[] = {
      // Locked out two hours ago: over; a password set a day ago: good.
      {{{"lockoutTime", std::to_string(kNow - 120 * kMinute)},
        {"pwdLastSet", set_a_day_ago}},
       514u},
      // Set 43 days ago: expired, unless it never expires.
      {{{"lockoutTime", "0"},
        {"pwdLastSet", std::to_string(kNow - 43 * 24 * 60 * kMinute)}},
       514u | 0x800000u},
      {{{"lockoutTime", "0"}, {"userAccountControl", "66048"}}, 66048u},
  };
  for (const auto& [change, control] : worked_out) {
    ASSERT_TRUE(
        corvane_ldap_read_user(Entry(memory, change), memory, &kPolicy, &read));
    EXPECT_EQ(read.account_control, control) << change[0].value;
  }
  // 0 and the largest time both mean "never expires".
  ASSERT_TRUE(corvane_ldap_read_user(Entry(memory, {{"accountExpires", "0"}}),
                                     memory, &kPolicy, &read));
  EXPECT_EQ(read.user.acct_expiry, 0x7FFFFFFFFFFFFFFFu);
  // A signed 32-bit account-control value, as LDAP may write it.
  ASSERT_TRUE(corvane_ldap_read_user(
      Entry(memory, {{"userAccountControl", "-2147483136"}}), memory, &kPolicy,
      &read));
  EXPECT_EQ(read.account_control & 0xFFFF0000u, 0x80800000u);

  // A controller's own logon facts: the same values, nothing else read.
  corvane_ldap_user logon{};
  ASSERT_TRUE(
      corvane_ldap_read_logon(Entry(memory, {}), memory, &kPolicy, &logon));
  EXPECT_STREQ(logon.user.account_name, "bob");
  EXPECT_EQ(logon.user.last_logon, 133000000000000000u);
  EXPECT_EQ(logon.user.bad_password_count, 3u);
  EXPECT_EQ(logon.account_control & 0x10u, 0x10u);
  EXPECT_EQ(logon.user.full_name, nullptr);
  talloc_free(memory);
}

// A filtered listing asks the server for what may match, in the
// directory's own terms; the client checks each record still.
TEST(DirectoryEntries, AQueryAsksTheServerForWhatMayMatch) {
  TALLOC_CTX* memory = talloc_new(nullptr);
  EXPECT_STREQ(corvane_ldap_query_filter(
                   memory, CORVANE_LDAP_DISABLED | CORVANE_LDAP_NEVER_LOGGED_ON,
                   &kPolicy),
               "(&(sAMAccountType=805306368)"
               "(userAccountControl:1.2.840.113556.1.4.803:=2)"
               "(|(!(lastLogon=*))(lastLogon=0)))");
  const std::string now = std::to_string(kNow);
  EXPECT_EQ(corvane_ldap_query_filter(
                memory, CORVANE_LDAP_LOCKED | CORVANE_LDAP_EXPIRED, &kPolicy),
            "(&(sAMAccountType=805306368)(lockoutTime>=1)(|(pwdLastSet=0)"
            "(pwdLastSet<=" +
                std::to_string(kNow - 42 * 24 * 60 * kMinute) +
                ")(&(accountExpires>=1)(accountExpires<=" + now + "))))");
  // Passwords that never age: only one set to be changed has expired.
  const corvane_ldap_policy no_age = {-30 * kMinute, 0, kNow};
  EXPECT_EQ(corvane_ldap_query_filter(memory, CORVANE_LDAP_EXPIRED, &no_age),
            "(&(sAMAccountType=805306368)(|(pwdLastSet=0)"
            "(&(accountExpires>=1)(accountExpires<=" +
                now + "))))");
  talloc_free(memory);
}

TEST(DirectoryEntries, WhatThePlatformCannotHoldIsRefused) {
  const std::vector<Attribute> broken[] = {
      {{"sAMAccountName", ""}},  // no name
      {{"sAMAccountName", std::string("al\0ice", 6)}},
      {{"displayName", std::string("Bob\0Evil", 8)}},
      {{"lastLogon", "12x4"}},
      {{"lastLogon", "-"}},
      {{"badPwdCount", "99999999999999999999999"}},
      {{"objectSid", ""}},
      {{"objectSid", std::string(kSid.begin(), kSid.end() - 1)}},
      {{"objectSid", std::string(kSid.begin(), kSid.end()) + "...."}},
  };
  TALLOC_CTX* memory = talloc_new(nullptr);
  for (const auto& change : broken) {
    corvane_ldap_user read{};
    EXPECT_FALSE(
        corvane_ldap_read_user(Entry(memory, change), memory, &kPolicy, &read))
        << change[0].name;
    // The logon facts refuse what they read of the same entry alike.
    if (change[0].name == "sAMAccountName" || change[0].name == "lastLogon" ||
        change[0].name == "badPwdCount") {
      EXPECT_FALSE(corvane_ldap_read_logon(Entry(memory, change), memory,
                                           &kPolicy, &read))
          << change[0].name;
    }
  }
  talloc_free(memory);
}

}  // namespace
