// The simulated controller behaves as the platform does where the classes
// rely on it: batches sized by the preferred length with resume handles and
// ERROR_MORE_DATA, the statuses by name, case-insensitive names, the SID
// lookup's sizing protocol; and it accounts for every block it hands out.
#include <gtest/gtest.h>

#include <cstring>

#include "netapi/simulated/demo_domain.h"

namespace corvane::netapi::simulated {
namespace {

class SimulatedControllerTest : public ::testing::Test {
 protected:
  SimulatedControllerTest() : domain_(SeedDemoDomain(dc_)) {}
  void TearDown() override {
    EXPECT_EQ(dc_.ledger().outstanding(), 0u);
    EXPECT_EQ(dc_.ledger().stray_releases(), 0u);
  }

  // All group names through batches of `prefmaxlen` bytes.
  std::vector<std::u16string> EnumerateGroups(DWORD prefmaxlen, int* batches) {
    std::vector<std::u16string> names;
    DWORD_PTR resume = 0;
    NET_API_STATUS status;
    *batches = 0;
    do {
      LPBYTE buffer = nullptr;
      DWORD read = 0, total = 0;
      status = dc_.NetGroupEnum(u"\\\\DC1", 0, &buffer, prefmaxlen, &read,
                                &total, &resume);
      EXPECT_TRUE(status == NERR_Success || status == ERROR_MORE_DATA);
      const auto* records = reinterpret_cast<GROUP_INFO_0*>(buffer);
      std::size_t bytes = read * sizeof(GROUP_INFO_0);
      for (DWORD i = 0; i < read; ++i) {
        names.push_back(records[i].grpi0_name);
        bytes += (names.back().size() + 1) * sizeof(WCHAR);
      }
      // One block holding exactly the batch, within the preferred length
      // unless a single entry is larger.
      EXPECT_EQ(dc_.ledger().BlockSizeAt(buffer), bytes);
      EXPECT_TRUE(bytes <= prefmaxlen || read == 1) << bytes;
      EXPECT_EQ(status == NERR_Success, read == total);
      dc_.NetApiBufferFree(buffer);
      ++*batches;
    } while (status == ERROR_MORE_DATA);
    return names;
  }

  SimulatedController dc_;
  Directory& domain_;
};

TEST_F(SimulatedControllerTest, BatchesFollowThePreferredLength) {
  for (int i = 0; i < 20; ++i) {
    domain_.AddGroup(
        Group{u"Group " + std::u16string(1, u'A' + i), u"", {}, {}});
  }
  int small_batches = 0, one_batch = 0, single_batches = 0;
  const auto in_batches = EnumerateGroups(255, &small_batches);
  const auto whole = EnumerateGroups(MAX_PREFERRED_LENGTH, &one_batch);
  EXPECT_EQ(in_batches, whole);
  EXPECT_EQ(whole.size(), 23u);
  EXPECT_GE(small_batches, 3);
  EXPECT_EQ(one_batch, 1);
  // Shorter than any record: one entry per batch, never none.
  EXPECT_EQ(EnumerateGroups(1, &single_batches), whole);
  EXPECT_EQ(single_batches, 23);
}

TEST_F(SimulatedControllerTest, StatusesByName) {
  EXPECT_EQ(dc_.NetUserDel(u"\\\\DC1", u"nobody"), NERR_UserNotFound);
  EXPECT_EQ(dc_.NetGroupDel(u"\\\\DC1", u"nothing"), NERR_GroupNotFound);
  EXPECT_EQ(dc_.NetGroupAddUser(u"\\\\DC1", u"sales", u"BOB"),
            NERR_UserInGroup);
  EXPECT_EQ(dc_.NetGroupDelUser(u"\\\\DC1", u"Sales", u"alice"),
            NERR_UserNotInGroup);
  EXPECT_EQ(dc_.NetUserDel(u"\\\\NOSUCHHOST", u"bob"), ERROR_BAD_NETPATH);
  GROUP_INFO_1 existing{const_cast<LPWSTR>(u"SALES"), nullptr};
  DWORD parm_err = 0;
  EXPECT_EQ(dc_.NetGroupAdd(u"DC1", 1, reinterpret_cast<LPBYTE>(&existing),
                            &parm_err),
            NERR_GroupExists);
  LPBYTE buffer = nullptr;
  EXPECT_EQ(dc_.NetUserGetInfo(u"\\\\DC1", u"bob", 3, &buffer),
            ERROR_INVALID_LEVEL);
  EXPECT_EQ(dc_.changes(), 0u) << "a refused call changes nothing";
}

TEST_F(SimulatedControllerTest, RejectedFieldIsNamedInParmErr) {
  USER_INFO_1 record{};
  record.usri1_name = const_cast<LPWSTR>(u"dave");
  record.usri1_priv = USER_PRIV_ADMIN;
  record.usri1_flags = UF_SCRIPT | UF_NORMAL_ACCOUNT;
  DWORD parm_err = 0;
  EXPECT_EQ(dc_.NetUserAdd(u"\\\\DC1", 1, reinterpret_cast<LPBYTE>(&record),
                           &parm_err),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(parm_err, USER_PRIV_PARMNUM);
  EXPECT_EQ(domain_.FindUser(u"dave"), nullptr);
}

TEST_F(SimulatedControllerTest, FaultsHitTheNthCallOnly) {
  dc_.FailCall("NetUserDel", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(dc_.NetUserDel(u"\\\\DC1", u"alice"), NERR_Success);
  EXPECT_EQ(dc_.NetUserDel(u"\\\\DC1", u"bob"), ERROR_ACCESS_DENIED);
  EXPECT_NE(domain_.FindUser(u"bob"), nullptr)
      << "a failed call changes nothing";
  EXPECT_EQ(dc_.changes(), 1u);
  EXPECT_EQ(dc_.NetUserDel(u"\\\\DC1", u"bob"), NERR_Success);
  EXPECT_EQ(dc_.changes(), 2u);

  dc_.FailCall("NetApiBufferAllocate", 1, ERROR_NOT_ENOUGH_MEMORY);
  void* block = nullptr;
  EXPECT_EQ(dc_.NetApiBufferAllocate(10, &block), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(dc_.ledger().outstanding(), 0u);
}

// Tests learn from the release whether a secret was wiped: the answer is
// yes only when the caller wrote zeros over every byte of the block.
TEST_F(SimulatedControllerTest, ReleaseTellsWhetherEveryByteWasZeroed) {
  for (const std::size_t zeroed : {0u, 7u, 8u}) {
    void* block = nullptr;
    ASSERT_EQ(dc_.NetApiBufferAllocate(8, &block), NERR_Success);
    std::memset(block, 0, zeroed);
    dc_.NetApiBufferFree(block);
    EXPECT_EQ(dc_.journal().Of("NetApiBufferFree").back().Number("all_zero"),
              zeroed == 8 ? 1u : 0u)
        << zeroed;
  }
}

TEST(BlockLedger, CountsBlocksAndStrayReleases) {
  BlockLedger ledger;
  void* block = ledger.Allocate(6);
  EXPECT_EQ(ledger.outstanding(), 1u);
  EXPECT_EQ(ledger.BlockSizeAt(block), 6u);
  EXPECT_EQ(ledger.BlockSizeAt(static_cast<char*>(block) + 2), 0u);
  EXPECT_TRUE(ledger.Release(block));
  EXPECT_EQ(ledger.outstanding(), 0u);
  EXPECT_FALSE(ledger.Release(block));
  int on_the_stack = 0;
  EXPECT_FALSE(ledger.Release(&on_the_stack));
  EXPECT_EQ(ledger.stray_releases(), 2u);
}

TEST_F(SimulatedControllerTest, SidLookupReportsTheSizeFirst) {
  BYTE small[1];
  DWORD sid_size = 0, domain_size = 1;
  WCHAR domain[1];
  SID_NAME_USE use{};
  EXPECT_FALSE(dc_.LookupAccountName(u"\\\\DC1", u"Administrators", small,
                                     &sid_size, domain, &domain_size, &use));
  EXPECT_EQ(dc_.LastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(sid_size, 16u);
  std::vector<BYTE> sid(sid_size);
  std::u16string name(domain_size, u' ');
  ASSERT_TRUE(dc_.LookupAccountName(u"\\\\DC1", u"Administrators", sid.data(),
                                    &sid_size, name.data(), &domain_size,
                                    &use));
  EXPECT_EQ(sid, (std::vector<BYTE>{1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 32, 2,
                                    0, 0}));
  EXPECT_EQ(use, SidTypeAlias);
  EXPECT_FALSE(dc_.LookupAccountName(u"\\\\DC1", u"nobody", small, &sid_size,
                                     domain, &domain_size, &use));
  EXPECT_EQ(dc_.LastError(), ERROR_NONE_MAPPED);
}

// With a new domain's policy, a password is refused as a controller
// refuses it, with the platform's status, whichever call sets it, and the
// account is left as it was.
TEST_F(SimulatedControllerTest, APasswordPolicyIsEnforcedAsAControllerDoes) {
  domain_.set_password_policy(kNewDomainPolicy);
  const auto add = [&](const char16_t* name, const char16_t* password) {
    std::u16string user = name, secret = password;
    USER_INFO_1 record{user.data(),
                       secret.data(),
                       0,
                       USER_PRIV_USER,
                       nullptr,
                       nullptr,
                       UF_SCRIPT | UF_NORMAL_ACCOUNT,
                       nullptr};
    DWORD parm_err = 0;
    return dc_.NetUserAdd(u"\\DC1", 1, reinterpret_cast<LPBYTE>(&record),
                          &parm_err);
  };
  const auto set = [&](const char16_t* password) {
    std::u16string secret = password;
    USER_INFO_1003 record{secret.data()};
    return dc_.NetUserSetInfo(u"\\DC1", u"dana", 1003,
                              reinterpret_cast<LPBYTE>(&record), nullptr);
  };
  for (const char16_t* weak :
       {u"", u"Ab-1x", u"alllowercase1", u"Dana-xyz-1"}) {
    EXPECT_EQ(add(u"dana", weak), NERR_PasswordTooShort)
        << std::u16string_view(weak).size();
  }
  EXPECT_EQ(domain_.FindUser(u"dana"), nullptr);
  ASSERT_EQ(add(u"dana", u"Good-Pass-1"), NERR_Success);
  EXPECT_EQ(set(u"Good-Pass-1"), NERR_PasswordTooShort);  // the current one
  EXPECT_EQ(set(u"Good-Pass-2"), NERR_Success);
  EXPECT_EQ(set(u"Good-Pass-1"), NERR_PasswordTooShort);  // in the history
  EXPECT_EQ(set(u"short"), NERR_PasswordTooShort);
  EXPECT_EQ(domain_.FindUser(u"dana")->password, u"Good-Pass-2");
  // The policy reads back through the account policy level.
  LPBYTE buffer = nullptr;
  ASSERT_EQ(dc_.NetUserModalsGet(u"\\DC1", 0, &buffer), NERR_Success);
  const auto* modals = reinterpret_cast<USER_MODALS_INFO_0*>(buffer);
  EXPECT_EQ(modals->usrmod0_min_passwd_len, 7u);
  EXPECT_EQ(modals->usrmod0_password_hist_len, 24u);
  dc_.NetApiBufferFree(buffer);
}

}  // namespace
}  // namespace corvane::netapi::simulated
