// Enumerations under the platform's batch contract: small batches as the
// callers ask for them, all of a large listing, and a loop that ends.
#include "tests/integration/enumeration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "tests/integration/accounts.h"

namespace corvane::integration {
namespace {

using netapi::DWORD;
using netapi::DWORD_PTR;
using netapi::NERR_Success;

constexpr DWORD kCallerBatchBytes = 255;
constexpr int kManyUsers = 500;

Enumeration EnumerateUsers(DWORD prefmaxlen) {
  DWORD resume = 0;
  return EnumerateAll([&](netapi::LPBYTE* buf, DWORD* read, DWORD* total) {
    return TheApi().NetUserEnum(u"", 0, netapi::FILTER_NORMAL_ACCOUNT, buf,
                                prefmaxlen, read, total, &resume);
  });
}

// Batches are within the preferred length (one record at least), each
// counts more than it holds until the last (the count is a hint, as on the
// platform: a large domain's is not the whole rest), and only the last one
// ends with status 0.
void ExpectContract(const Enumeration& e, DWORD prefmaxlen) {
  ASSERT_EQ(e.status, NERR_Success);
  for (std::size_t i = 0; i < e.batches.size(); ++i) {
    const Batch& b = e.batches[i];
    const bool last = i + 1 == e.batches.size();
    EXPECT_EQ(b.status, last ? NERR_Success : netapi::ERROR_MORE_DATA);
    EXPECT_EQ(b.entries_read == b.total_entries, last);
    EXPECT_TRUE(b.bytes <= prefmaxlen || b.entries_read == 1);
  }
}

class ManyUsers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kManyUsers; ++i) {
      names_.push_back(UniqueName("cvm"));
      ASSERT_EQ(AddUser(W(names_.back())), NERR_Success);
    }
    const std::chrono::duration<double> took =
        std::chrono::steady_clock::now() - start;
    std::cout << "[ timing ] " << kManyUsers
              << " NetUserAdd calls: " << took.count() << " s\n";
  }
  static void TearDownTestSuite() {
    for (const std::string& name : names_) {
      TheApi().NetUserDel(u"", W(name).c_str());
    }
    names_.clear();
  }
  static inline std::vector<std::string> names_;
};

TEST_F(ManyUsers, AllAreListedInSmallBatches) {
  const auto start = std::chrono::steady_clock::now();
  const Enumeration e = EnumerateUsers(kCallerBatchBytes);
  const std::chrono::duration<double> took =
      std::chrono::steady_clock::now() - start;
  std::cout << "[ timing ] " << e.names.size() << " users in "
            << e.batches.size() << " batches of <= 255 bytes: " << took.count()
            << " s\n";
  ExpectContract(e, kCallerBatchBytes);
  EXPECT_GT(e.batches.size(), 50u);
  const std::set<std::string> listed(e.names.begin(), e.names.end());
  EXPECT_EQ(listed.size(), e.names.size()) << "a name was listed twice";
  for (const std::string& name : names_) {
    EXPECT_TRUE(listed.count(name)) << name;
  }
  EXPECT_TRUE(listed.count("Administrator"));
  // Normal accounts only: not the controller's computer account.
  EXPECT_FALSE(listed.count(TheController().name + "$"));
}

TEST_F(ManyUsers, TheLargestPreferredLengthGivesOneBatch) {
  const Enumeration e = EnumerateUsers(netapi::MAX_PREFERRED_LENGTH);
  ExpectContract(e, netapi::MAX_PREFERRED_LENGTH);
  EXPECT_EQ(e.batches.size(), 1u);
  EXPECT_GE(e.names.size(), static_cast<std::size_t>(kManyUsers));
}

TEST_F(ManyUsers, InterleavedEnumerationsDoNotDisturbEachOther) {
  DWORD first = 0, second = 0;
  std::vector<std::string> a, b;
  netapi::NET_API_STATUS sa = netapi::ERROR_MORE_DATA,
                         sb = netapi::ERROR_MORE_DATA;
  while (sa == netapi::ERROR_MORE_DATA || sb == netapi::ERROR_MORE_DATA) {
    for (auto [status, resume, names] :
         {std::tuple{&sa, &first, &a}, std::tuple{&sb, &second, &b}}) {
      if (*status != netapi::ERROR_MORE_DATA) continue;
      netapi::ApiBuffer buffer(TheApi());
      DWORD read = 0, total = 0;
      *status = TheApi().NetUserEnum(u"", 0, netapi::FILTER_NORMAL_ACCOUNT,
                                     buffer.put(), 512, &read, &total, resume);
      ASSERT_TRUE(*status == NERR_Success ||
                  *status == netapi::ERROR_MORE_DATA);
      for (DWORD i = 0; i < read; ++i) {
        names->push_back(Narrow(buffer.As<netapi::WCHAR*>()[i]));
      }
    }
  }
  EXPECT_EQ(a, b);
  EXPECT_GE(a.size(), static_cast<std::size_t>(kManyUsers));
}

TEST(Enumeration, UnknownResumeHandlesAreRefused) {
  netapi::ApiBuffer buffer(TheApi());
  DWORD read = 0, total = 0, resume = 0x7654321;
  EXPECT_EQ(TheApi().NetUserEnum(u"", 0, netapi::FILTER_NORMAL_ACCOUNT,
                                 buffer.put(), 255, &read, &total, &resume),
            netapi::ERROR_INVALID_PARAMETER);
}

TEST(Enumeration, GroupsAreListedInSmallBatches) {
  DWORD_PTR resume = 0;
  const Enumeration e =
      EnumerateAll([&](netapi::LPBYTE* buf, DWORD* read, DWORD* total) {
        return TheApi().NetGroupEnum(u"", 0, buf, kCallerBatchBytes, read,
                                     total, &resume);
      });
  ExpectContract(e, kCallerBatchBytes);
  EXPECT_GT(e.batches.size(), 1u);
  EXPECT_NE(std::find(e.names.begin(), e.names.end(), "Domain Admins"),
            e.names.end());
}

}  // namespace
}  // namespace corvane::integration
