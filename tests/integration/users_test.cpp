// User accounts through the Samba backend: the calls and levels the classes
// make, read back from the controller.
#include <gtest/gtest.h>

#include <cstring>

#include "netapi/samba/libnetapi.h"
#include "netapi/samba/samba_buffer.h"
#include "netapi/samba/sid_bytes.h"
#include "netapi/samba/statuses.h"
#include "tests/integration/accounts.h"
#include "tests/integration/dc_environment.h"

namespace corvane::integration {
namespace {

using netapi::DWORD;
using netapi::LPBYTE;
using netapi::NERR_Success;
using netapi::USER_INFO_2;

struct UserView {
  DWORD flags = 0, priv = 0;
  std::string home_dir, comment, script_path, full_name;
};

UserView Read(const std::u16string& name) {
  netapi::ApiBuffer buffer(TheApi());
  UserView view;
  EXPECT_EQ(TheApi().NetUserGetInfo(u"", name.c_str(), 2, buffer.put()),
            NERR_Success);
  if (buffer.get() == nullptr) return view;
  const USER_INFO_2& u = *buffer.As<USER_INFO_2>();
  view.flags = u.usri2_flags;
  view.priv = u.usri2_priv;
  view.home_dir = Narrow(u.usri2_home_dir);
  view.comment = Narrow(u.usri2_comment);
  view.script_path = Narrow(u.usri2_script_path);
  view.full_name = Narrow(u.usri2_full_name);
  return view;
}

netapi::NET_API_STATUS SetText(const std::u16string& user, DWORD level,
                               const std::u16string& text) {
  std::u16string copy = text;
  netapi::LPWSTR record = copy.data();
  DWORD parm_err = 0;
  return TheApi().NetUserSetInfo(u"", user.c_str(), level,
                                 reinterpret_cast<LPBYTE>(&record), &parm_err);
}

netapi::NET_API_STATUS SetFlags(const std::u16string& user, DWORD flags) {
  netapi::USER_INFO_1008 record{flags};
  DWORD parm_err = 0;
  return TheApi().NetUserSetInfo(u"", user.c_str(), 1008,
                                 reinterpret_cast<LPBYTE>(&record), &parm_err);
}

TEST(Users, AddedAccountReadsBackAsWritten) {
  ScopedUser user(W(UniqueName("cvadd")));
  ASSERT_EQ(AddUser(user.name()), NERR_Success);
  const UserView view = Read(user.name());
  EXPECT_EQ(view.flags & 0xFFFF, 0x201u);
  EXPECT_EQ(view.priv, netapi::USER_PRIV_USER);
  EXPECT_EQ(view.home_dir, "\\\\server\\home");
  EXPECT_EQ(view.comment, "test account");
  EXPECT_EQ(view.script_path, "logon.cmd");
  EXPECT_TRUE(LogonSucceeds(Narrow(user.c_str()), kPassword));
}

TEST(Users, AddWithTheDisabledFlagCreatesADisabledAccount) {
  ScopedUser user(W(UniqueName("cvdis")));
  ASSERT_EQ(AddUser(user.name(), 0x203), NERR_Success);
  EXPECT_EQ(Read(user.name()).flags & 0xFFFF, 0x203u);
  EXPECT_FALSE(LogonSucceeds(Narrow(user.c_str()), kPassword));
}

TEST(Users, AddRefusesDuplicatesBadPrivilegesAndWeakPasswords) {
  ScopedUser user(W(UniqueName("cvdup")));
  ASSERT_EQ(AddUser(user.name()), NERR_Success);
  EXPECT_EQ(AddUser(user.name()), netapi::NERR_UserExists);

  ScopedUser admin(W(UniqueName("cvprv")));
  std::u16string password = W(kPassword);
  netapi::USER_INFO_1 record{};
  record.usri1_name = const_cast<char16_t*>(admin.c_str());
  record.usri1_password = password.data();
  record.usri1_priv = netapi::USER_PRIV_ADMIN;
  record.usri1_flags = 0x201;
  DWORD parm_err = 0;
  EXPECT_EQ(
      TheApi().NetUserAdd(u"", 1, reinterpret_cast<LPBYTE>(&record), &parm_err),
      netapi::ERROR_INVALID_PARAMETER);
  EXPECT_EQ(parm_err, netapi::USER_PRIV_PARMNUM);
  netapi::ApiBuffer buffer(TheApi());
  EXPECT_EQ(TheApi().NetUserGetInfo(u"", admin.c_str(), 2, buffer.put()),
            netapi::NERR_UserNotFound);

  ScopedUser weak(W(UniqueName("cvwk")));
  EXPECT_EQ(AddUser(weak.name(), 0x201, u"abc"),
            netapi::samba::NERR_PasswordTooShort);
  netapi::ApiBuffer none(TheApi());
  EXPECT_EQ(TheApi().NetUserGetInfo(u"", weak.c_str(), 2, none.put()),
            netapi::NERR_UserNotFound);
}

TEST(Users, EachSetLevelChangesItsAttributeOnly) {
  ScopedUser user(W(UniqueName("cvset")));
  ASSERT_EQ(AddUser(user.name()), NERR_Success);

  ASSERT_EQ(SetText(user.name(), 1011, u"Full Name"), NERR_Success);
  ASSERT_EQ(SetText(user.name(), 1009, u"other.cmd"), NERR_Success);
  ASSERT_EQ(SetText(user.name(), 1007, u"a comment"), NERR_Success);
  ASSERT_EQ(SetText(user.name(), 1006, u"\\\\srv\\h2"), NERR_Success);
  UserView view = Read(user.name());
  EXPECT_EQ(view.full_name, "Full Name");
  EXPECT_EQ(view.script_path, "other.cmd");
  EXPECT_EQ(view.comment, "a comment");
  EXPECT_EQ(view.home_dir, "\\\\srv\\h2");

  // An empty text clears the attribute.
  ASSERT_EQ(SetText(user.name(), 1007, u""), NERR_Success);
  EXPECT_EQ(Read(user.name()).comment, "");

  const std::string new_password = "Another-Pa55word!";
  ASSERT_EQ(SetText(user.name(), 1003, W(new_password)), NERR_Success);
  // (The old password stays valid for network logons for a while, as
  // on Windows domain controllers, so only the new one is checked.)
  EXPECT_TRUE(LogonSucceeds(Narrow(user.c_str()), new_password));
  EXPECT_EQ(SetText(user.name(), 1003, u"x"),
            netapi::samba::NERR_PasswordTooShort);

  // 1008 writes the flags and nothing else.
  ASSERT_EQ(SetFlags(user.name(), 0x203), NERR_Success);
  view = Read(user.name());
  EXPECT_EQ(view.flags & 0xFFFF, 0x203u);
  EXPECT_EQ(view.full_name, "Full Name");
  EXPECT_EQ(view.script_path, "other.cmd");
  EXPECT_EQ(view.home_dir, "\\\\srv\\h2");
  EXPECT_FALSE(LogonSucceeds(Narrow(user.c_str()), new_password));
  ASSERT_EQ(SetFlags(user.name(), 0x201), NERR_Success);
  EXPECT_EQ(Read(user.name()).flags & 0xFFFF, 0x201u);
  EXPECT_TRUE(LogonSucceeds(Narrow(user.c_str()), new_password));
  // Without an account-type bit the account keeps its type.
  ASSERT_EQ(SetFlags(user.name(), netapi::UF_ACCOUNTDISABLE), NERR_Success);
  EXPECT_EQ(Read(user.name()).flags & 0xFFFF, 0x203u);

  EXPECT_EQ(SetText(user.name(), 1005, u"x"), netapi::ERROR_INVALID_LEVEL);
}

TEST(Users, MissingAccountsAreReportedAsSuch) {
  const std::u16string missing = W(UniqueName("cvnone"));
  netapi::ApiBuffer buffer(TheApi());
  EXPECT_EQ(TheApi().NetUserGetInfo(u"", missing.c_str(), 2, buffer.put()),
            netapi::NERR_UserNotFound);
  EXPECT_EQ(SetText(missing, 1011, u"x"), netapi::NERR_UserNotFound);
  EXPECT_EQ(SetFlags(missing, 0x201), netapi::NERR_UserNotFound);
  EXPECT_EQ(SetFlags(missing, netapi::UF_ACCOUNTDISABLE),
            netapi::NERR_UserNotFound);
  EXPECT_EQ(TheApi().NetUserDel(u"", missing.c_str()),
            netapi::NERR_UserNotFound);
}

TEST(Users, DeleteRemovesTheAccount) {
  const std::u16string name = W(UniqueName("cvdel"));
  ASSERT_EQ(AddUser(name), NERR_Success);
  EXPECT_EQ(TheApi().NetUserDel(u"", name.c_str()), NERR_Success);
  netapi::ApiBuffer buffer(TheApi());
  EXPECT_EQ(TheApi().NetUserGetInfo(u"", name.c_str(), 2, buffer.put()),
            netapi::NERR_UserNotFound);
  EXPECT_EQ(TheApi().NetUserDel(u"", name.c_str()), netapi::NERR_UserNotFound);
}

TEST(Text, NonAsciiNamesAndValuesRoundTrip) {
  // Includes a character outside the basic plane (a surrogate pair).
  const std::u16string name = u"Jürgen" + W(UniqueName(""));
  const std::u16string full = u"Jürgen Ødegård 日本 \U0001D11E";
  ScopedUser user(name);
  ASSERT_EQ(AddUser(name), NERR_Success);
  ASSERT_EQ(SetText(name, 1011, full), NERR_Success);
  ASSERT_EQ(SetText(name, 1007, u"Ødegård 日本"), NERR_Success);
  netapi::ApiBuffer buffer(TheApi());
  ASSERT_EQ(TheApi().NetUserGetInfo(u"", name.c_str(), 2, buffer.put()),
            NERR_Success);
  EXPECT_EQ(std::u16string(buffer.As<USER_INFO_2>()->usri2_name), name);
  EXPECT_EQ(std::u16string(buffer.As<USER_INFO_2>()->usri2_full_name), full);
  EXPECT_EQ(std::u16string(buffer.As<USER_INFO_2>()->usri2_comment),
            u"Ødegård 日本");
  EXPECT_TRUE(LogonSucceeds(Narrow(name.c_str()), kPassword));
}

TEST(Text, InvalidUtf16IsRefusedBeforeAnythingIsSent) {
  const char16_t lone_high[] = {u'a', 0xD800, u'b', 0};
  const char16_t lone_low[] = {0xDC00, 0};
  netapi::ApiBuffer buffer(TheApi());
  EXPECT_EQ(TheApi().NetUserGetInfo(u"", lone_high, 2, buffer.put()),
            netapi::ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(
      TheApi().NetUserGetInfo(lone_low, u"Administrator", 2, buffer.put()),
      netapi::ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(SetText(u"Administrator", 1007, lone_low),
            netapi::ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_EQ(AddUser(lone_high), netapi::ERROR_NO_UNICODE_TRANSLATION);
}

// The same account read through libnetapi itself, as a reference for the
// records the backend makes from the direct RPC channel.
TEST(Users, RecordsReadAsLibnetapiGivesThem) {
  ScopedUser fresh(W(UniqueName("cvrec")));
  ASSERT_EQ(AddUser(fresh.name()), NERR_Success);
  ASSERT_EQ(SetText(fresh.name(), 1011, u"Ré Cord"), NERR_Success);
  ASSERT_EQ(SetText(fresh.name(), 1007, u"with a comment"), NERR_Success);
  ASSERT_EQ(SetFlags(fresh.name(), 0x203), NERR_Success);  // disabled

  const std::string host = TheController().host;
  for (const std::u16string& name :
       {fresh.name(), std::u16string(u"Administrator"),
        std::u16string(u"Guest"), std::u16string(u"krbtgt")}) {
    SCOPED_TRACE(Narrow(name.c_str()));
    netapi::samba::LibnetapiBuffer reference;
    ASSERT_EQ(::NetUserGetInfo(host.c_str(), Narrow(name.c_str()).c_str(), 4,
                               reference.put()),
              NERR_Success);
    const ::USER_INFO_4& want = *reference.As<::USER_INFO_4>();
    netapi::ApiBuffer buffer(TheApi());
    ASSERT_EQ(TheApi().NetUserGetInfo(u"", name.c_str(), 4, buffer.put()),
              NERR_Success);
    const netapi::USER_INFO_4& got = *buffer.As<netapi::USER_INFO_4>();

    EXPECT_EQ(Narrow(got.usri4_name), want.usri4_name);
    EXPECT_NEAR(got.usri4_password_age, want.usri4_password_age, 2);
    EXPECT_EQ(got.usri4_priv, want.usri4_priv);
    EXPECT_EQ(got.usri4_flags, want.usri4_flags);
    EXPECT_EQ(got.usri4_auth_flags, want.usri4_auth_flags);
    EXPECT_EQ(Narrow(got.usri4_full_name), want.usri4_full_name);
    EXPECT_EQ(Narrow(got.usri4_comment), want.usri4_comment);
    EXPECT_EQ(Narrow(got.usri4_home_dir), want.usri4_home_dir);
    EXPECT_EQ(Narrow(got.usri4_script_path), want.usri4_script_path);
    EXPECT_EQ(Narrow(got.usri4_workstations), want.usri4_workstations);
    EXPECT_EQ(got.usri4_last_logon, want.usri4_last_logon);
    // libnetapi gives "never expires" as the largest NT time in seconds cut
    // to 32 bits; the platform's word for it is TIMEQ_FOREVER.
    constexpr DWORD kLibnetapiNever = static_cast<DWORD>(
        0x7FFFFFFFFFFFFFFFull / 10'000'000 - 11'644'473'600ull);
    EXPECT_EQ(got.usri4_acct_expires, want.usri4_acct_expires == kLibnetapiNever
                                          ? TIMEQ_FOREVER
                                          : want.usri4_acct_expires);
    EXPECT_EQ(got.usri4_units_per_week, want.usri4_units_per_week);
    EXPECT_EQ(got.usri4_bad_pw_count, want.usri4_bad_pw_count);
    EXPECT_EQ(got.usri4_num_logons, want.usri4_num_logons);
    EXPECT_EQ(got.usri4_primary_group_id, want.usri4_primary_group_id);
    EXPECT_EQ(got.usri4_password_expired, want.usri4_password_expired);
    ASSERT_NE(got.usri4_logon_hours, nullptr);
    EXPECT_EQ(0,
              std::memcmp(got.usri4_logon_hours, want.usri4_logon_hours, 21));
    const auto sid = netapi::samba::SidBytes(want.usri4_user_sid);
    ASSERT_TRUE(sid.has_value());
    EXPECT_EQ(0, std::memcmp(got.usri4_user_sid, sid->data(), sid->size()));
  }

  netapi::samba::LibnetapiBuffer reference;
  ASSERT_EQ(::NetUserModalsGet(host.c_str(), 0, reference.put()), NERR_Success);
  const ::USER_MODALS_INFO_0& want = *reference.As<::USER_MODALS_INFO_0>();
  netapi::ApiBuffer buffer(TheApi());
  ASSERT_EQ(TheApi().NetUserModalsGet(u"", 0, buffer.put()), NERR_Success);
  const auto& got = *buffer.As<netapi::USER_MODALS_INFO_0>();
  EXPECT_EQ(got.usrmod0_min_passwd_len, want.usrmod0_min_passwd_len);
  EXPECT_EQ(got.usrmod0_max_passwd_age, want.usrmod0_max_passwd_age);
  EXPECT_EQ(got.usrmod0_min_passwd_age, want.usrmod0_min_passwd_age);
  EXPECT_EQ(got.usrmod0_force_logoff, want.usrmod0_force_logoff);
  EXPECT_EQ(got.usrmod0_password_hist_len, want.usrmod0_password_hist_len);
}
}  // namespace
}  // namespace corvane::integration
