// The directory over LDAP lists every user with the facts SAMR gives one
// at a time: each listed account's record reads the same either way.
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>

#include "netapi/api_buffer.h"
#include "netapi/samba/ldap_channel.h"
#include "netapi/samba/rpc_channel.h"
#include "netapi/samba/rpc_client.h"
#include "netapi/samba/samba_buffer.h"
#include "netapi/samba/samba_credentials.h"
#include "netapi/samba/user_records.h"
#include "netapi/sid_text.h"
#include "tests/integration/accounts.h"
#include "tests/integration/dc_environment.h"

namespace corvane::integration {
namespace {

using netapi::NERR_Success;
using netapi::samba::DirectoryUsers;
using netapi::samba::LdapChannel;
using netapi::samba::RpcChannel;
using netapi::samba::TallocOwner;

// A second connection with the administrator's credentials, beside the
// backend's own session.
struct Channels {
  TallocOwner owner = netapi::samba::NewTallocOwner();
  loadparm_context* conf =
      corvane_load_conf(owner.get(), TheController().client_conf.c_str());
  cli_credentials* credentials = Credentials();
  LdapChannel ldap{TheController().host, conf, credentials};
  RpcChannel rpc{TheController().host, conf, credentials};

  cli_credentials* Credentials() {
    cli_credentials* made = corvane_credentials_new(owner.get(), conf, true);
    corvane_credentials_read_file(made, TheController().auth_file.c_str());
    return made;
  }
};

// The level-2 record of `user` as the platform shows it, field by field.
std::string Shown(const corvane_rpc_user& user, std::int64_t now) {
  netapi::LPBYTE block = nullptr;
  EXPECT_EQ(netapi::samba::MakeUserRecord(user, {}, now, 2,
                                          netapi::samba::AllocateBlock, &block),
            NERR_Success);
  if (block == nullptr) return "";
  const auto& r = *reinterpret_cast<const netapi::USER_INFO_2*>(block);
  std::string shown =
      Narrow(r.usri2_name) + "|" + Narrow(r.usri2_full_name) + "|" +
      Narrow(r.usri2_comment) + "|" + Narrow(r.usri2_usr_comment) + "|" +
      Narrow(r.usri2_home_dir) + "|" + Narrow(r.usri2_script_path) + "|" +
      Narrow(r.usri2_workstations);
  for (netapi::DWORD value :
       {r.usri2_flags, r.usri2_priv, r.usri2_password_age, r.usri2_last_logon,
        r.usri2_last_logoff, r.usri2_acct_expires, r.usri2_bad_pw_count,
        r.usri2_num_logons, r.usri2_country_code, r.usri2_code_page,
        r.usri2_units_per_week}) {
    shown.append("|").append(std::to_string(value));
  }
  for (int i = 0; i < 21; ++i) {
    shown += std::to_string(r.usri2_logon_hours[i]);
  }
  netapi::samba::FreeBlock(block);
  return shown;
}

TEST(Directory, ListsEveryUserWithTheFactsSamrGives) {
  // Accounts whose facts differ from the defaults: disabled, locked out
  // by failed logons, expiring, with texts.
  ScopedUser plain(W(UniqueName("cvdir")));
  ScopedUser locked(W(UniqueName("cvdirlock")));
  ASSERT_EQ(AddUser(plain.name(), 0x203), NERR_Success);
  ASSERT_EQ(AddUser(locked.name()), NERR_Success);
  integration::Run("samba-tool user setexpiry --days=30 " +
                   Quote(Narrow(plain.c_str())) + " -s " +
                   Quote(TheController().smb_conf) + " >/dev/null");
  SetLockoutThreshold(2);
  for (int i = 0; i < 3; ++i) LogonSucceeds(Narrow(locked.c_str()), "wrong");
  SetLockoutThreshold(0);
  ASSERT_FALSE(LogonSucceeds(Narrow(plain.c_str()), kPassword));  // disabled

  // One search where the server allows it; pages where it caps one.
  Channels channels;
  std::map<std::string, std::string> listed;
  const std::int64_t now = std::time(nullptr);
  for (const bool in_pages : {false, true}) {
    LdapChannel ldap(TheController().host, channels.conf, channels.credentials);
    if (in_pages) ldap.AskInPages();
    std::map<std::string, std::string> seen;
    int pages = 0;
    ASSERT_EQ(ldap.ListUsers(3,
                             [&](DirectoryUsers users) {
                               EXPECT_TRUE(!in_pages || users.size() <= 3u);
                               ++pages;
                               for (const auto& user : users) {
                                 seen[user.account_name] = Shown(user, now);
                               }
                               return true;
                             }),
              NERR_Success);
    EXPECT_EQ(pages > 1, in_pages) << pages;
    if (in_pages) {
      EXPECT_EQ(seen, listed);
    } else {
      listed = std::move(seen);
    }
  }
  for (const char* name : {"Administrator", "Guest"}) {
    EXPECT_TRUE(listed.contains(name)) << name;
  }
  ASSERT_TRUE(listed.contains(Narrow(plain.c_str())));
  ASSERT_TRUE(listed.contains(Narrow(locked.c_str())));
  for (const auto& [name, shown] : listed) {
    const TallocOwner texts = netapi::samba::NewTallocOwner();
    corvane_rpc_user user{};
    ASSERT_EQ(channels.rpc.QueryUser(name, texts.get(), user), NERR_Success);
    EXPECT_EQ(shown, Shown(user, now)) << name;
  }

  // A filtered listing: the server leaves out what cannot match.
  const auto narrowed = [&](std::uint32_t query) {
    std::set<std::string> names;
    corvane_ldap_cursor cursor{};
    while (!cursor.complete) {
      EXPECT_EQ(channels.ldap.NextUsers(cursor, query, 1000,
                                        [&](DirectoryUsers users) {
                                          for (const auto& user : users) {
                                            names.insert(user.account_name);
                                          }
                                        }),
                NERR_Success);
    }
    return names;
  };
  const std::string disabled = Narrow(plain.c_str());
  const std::string locked_out = Narrow(locked.c_str());
  EXPECT_TRUE(narrowed(CORVANE_LDAP_DISABLED).contains(disabled));
  EXPECT_FALSE(narrowed(CORVANE_LDAP_DISABLED).contains(locked_out));
  EXPECT_TRUE(narrowed(CORVANE_LDAP_LOCKED).contains(locked_out));
  EXPECT_FALSE(narrowed(CORVANE_LDAP_LOCKED).contains(disabled));
  EXPECT_TRUE(narrowed(CORVANE_LDAP_NEVER_LOGGED_ON).contains(disabled));
  EXPECT_FALSE(narrowed(CORVANE_LDAP_EXPIRED).contains(disabled));
  EXPECT_LT(narrowed(CORVANE_LDAP_DISABLED).size(), listed.size());

  // A listing stops when asked, after its first page.
  int pages = 0;
  channels.ldap.AskInPages();
  EXPECT_EQ(channels.ldap.ListUsers(2,
                                    [&](DirectoryUsers) {
                                      ++pages;
                                      return false;
                                    }),
            NERR_Success);
  EXPECT_EQ(pages, 1);
}

// Level 3 of the backend's user listing comes from the directory: every
// account of level 0, each as its level-4 record gives it.
TEST(Directory, TheFactsListingHoldsEveryAccountAsItsOwnRecordReads) {
  ScopedUser expiring(W(UniqueName("cvdir3")));
  ASSERT_EQ(AddUser(expiring.name(), 0x203), NERR_Success);
  integration::Run("samba-tool user setexpiry --days=9 " +
                   Quote(Narrow(expiring.c_str())) + " -s " +
                   Quote(TheController().smb_conf) + " >/dev/null");
  const auto list = [](netapi::DWORD level) {
    std::map<std::string, std::string> listed;
    netapi::DWORD resume = 0;
    netapi::NET_API_STATUS status = 0;
    do {
      netapi::ApiBuffer buffer(TheApi());
      netapi::DWORD read = 0, total = 0;
      // Small batches, so that the listing goes on across pages.
      status = TheApi().NetUserEnum(u"", level, 0, buffer.put(), 2048, &read,
                                    &total, &resume);
      if (status != NERR_Success && status != 234) break;  // ERROR_MORE_DATA
      for (netapi::DWORD i = 0; i < read; ++i) {
        if (level == 0) {
          listed[Narrow(buffer.As<netapi::USER_INFO_0>()[i].usri0_name)];
          continue;
        }
        const auto& r = buffer.As<netapi::USER_INFO_3>()[i];
        listed[Narrow(r.usri3_name)] =
            Narrow(r.usri3_full_name) + "|" + std::to_string(r.usri3_flags) +
            "|" + std::to_string(r.usri3_acct_expires) + "|" +
            std::to_string(r.usri3_primary_group_id) + "|" +
            std::to_string(r.usri3_user_id);
      }
    } while (status == 234);
    EXPECT_EQ(status, NERR_Success);
    return listed;
  };
  const auto names = list(0);
  const auto facts = list(3);
  ASSERT_EQ(facts.size(), names.size());
  ASSERT_TRUE(facts.contains(Narrow(expiring.c_str())));
  for (const auto& [name, shown] : facts) {
    ASSERT_TRUE(names.contains(name)) << name;
    netapi::ApiBuffer buffer(TheApi());
    ASSERT_EQ(TheApi().NetUserGetInfo(u"", W(name).c_str(), 4, buffer.put()),
              NERR_Success);
    const auto& r = *buffer.As<netapi::USER_INFO_4>();
    EXPECT_EQ(shown,
              Narrow(r.usri4_full_name) + "|" + std::to_string(r.usri4_flags) +
                  "|" + std::to_string(r.usri4_acct_expires) + "|" +
                  std::to_string(r.usri4_primary_group_id) + "|" +
                  std::to_string(netapi::RelativeId(
                      {static_cast<const netapi::BYTE*>(r.usri4_user_sid),
                       netapi::SidLength(static_cast<const netapi::BYTE*>(
                           r.usri4_user_sid)[1])})))
        << name;
  }
}

TEST(Directory, RefusedCredentialsAndAnUnansweringHostAreNamed) {
  Channels channels;
  corvane_credentials_set_password(channels.credentials, "not-the-password");
  const auto none = [](DirectoryUsers) { return true; };
  EXPECT_EQ(channels.ldap.ListUsers(10, none), 1326u);  // logon failure
  LdapChannel nobody("127.0.0.254", channels.conf, channels.credentials);
  EXPECT_EQ(nobody.ListUsers(10, none), 1232u);  // host unreachable
}

}  // namespace
}  // namespace corvane::integration
