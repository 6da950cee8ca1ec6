// The name-to-SID lookup against what the controller's own tools report.
#include <gtest/gtest.h>

#include <regex>

#include "tests/integration/accounts.h"

namespace corvane::integration {
namespace {

using netapi::BOOL;
using netapi::DWORD;
using netapi::SID_NAME_USE;

// S-1-... text of a binary SID.
std::string SidText(const std::vector<netapi::BYTE>& sid) {
  if (sid.size() < 8) return "short SID";
  std::uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::string text =
      "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
  for (std::size_t i = 8; i + 4 <= sid.size(); i += 4) {
    const std::uint32_t sub = sid[i] | sid[i + 1] << 8 | sid[i + 2] << 16 |
                              static_cast<std::uint32_t>(sid[i + 3]) << 24;
    // Appended in place: g++ 12 warns falsely (-Wrestrict) about
    // "-" + std::to_string(...).
    text.append("-").append(std::to_string(sub));
  }
  return text;
}

// The callers' two-step protocol: a sizing call, then the real one.
std::vector<netapi::BYTE> LookUpSid(const std::u16string& name,
                                    SID_NAME_USE& use) {
  netapi::BYTE probe[1] = {};
  DWORD sid_size = 0, domain_size = 1;
  BOOL ok = TheApi().LookupAccountName(u"", name.c_str(), probe, &sid_size,
                                       nullptr, &domain_size, &use);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TheApi().LastError(), netapi::ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(domain_size, TheController().domain.size() + 1);
  std::vector<netapi::BYTE> sid(sid_size + 1);
  std::u16string domain(255, u' ');
  domain_size = 255;
  ok = TheApi().LookupAccountName(u"", name.c_str(), sid.data(), &sid_size,
                                  domain.data(), &domain_size, &use);
  EXPECT_TRUE(ok);
  EXPECT_EQ(TheApi().LastError(), 0u);
  EXPECT_EQ(Narrow(domain.c_str()), TheController().domain);
  sid.resize(sid_size);
  return sid;
}

TEST(SidLookup, UserSidMatchesTheDirectory) {
  ScopedUser user(W(UniqueName("cvsid")));
  ASSERT_EQ(AddUser(user.name()), netapi::NERR_Success);
  SID_NAME_USE use{};
  const std::vector<netapi::BYTE> sid = LookUpSid(user.name(), use);
  EXPECT_EQ(sid.size(), 28u);
  EXPECT_EQ(use, netapi::SidTypeUser);
  EXPECT_EQ(SidText(sid), ReportedSid("user", Narrow(user.c_str())));
  // Stable across reads, and the domain-qualified form names the same one.
  EXPECT_EQ(LookUpSid(user.name(), use), sid);
  EXPECT_EQ(LookUpSid(W(TheController().domain) + u"\\" + user.name(), use),
            sid);
}

TEST(SidLookup, GroupSidMatchesTheDirectory) {
  SID_NAME_USE use{};
  const std::vector<netapi::BYTE> sid = LookUpSid(u"Domain Admins", use);
  EXPECT_EQ(use, netapi::SidTypeGroup);
  EXPECT_EQ(SidText(sid), ReportedSid("group", "Domain Admins"));
}

// A SID's name by the callers' two-step protocol; empty when not mapped.
std::u16string NameOf(std::vector<netapi::BYTE> sid, SID_NAME_USE& use) {
  DWORD name_size = 0, domain_size = 0;
  if (TheApi().LookupAccountSid(u"", sid.data(), nullptr, &name_size, nullptr,
                                &domain_size, &use)) {
    ADD_FAILURE() << "no buffers, yet mapped";
    return {};
  }
  if (TheApi().LastError() != netapi::ERROR_INSUFFICIENT_BUFFER) return {};
  std::u16string name(name_size, u' '), domain(domain_size, u' ');
  EXPECT_TRUE(TheApi().LookupAccountSid(u"", sid.data(), name.data(),
                                        &name_size, domain.data(), &domain_size,
                                        &use));
  EXPECT_EQ(Narrow(domain.c_str()), TheController().domain);
  name.resize(name_size);
  return name;
}

// `sid` with its relative id (the last sub-authority) replaced.
std::vector<netapi::BYTE> WithRid(std::vector<netapi::BYTE> sid,
                                  std::uint32_t rid) {
  for (int i = 0; i < 4; ++i) sid[sid.size() - 4 + i] = (rid >> 8 * i) & 0xFF;
  return sid;
}

TEST(SidLookup, SidsOfTheDomainAreNamed) {
  ScopedUser user(W(UniqueName("cvname")));
  ASSERT_EQ(AddUser(user.name()), netapi::NERR_Success);
  SID_NAME_USE use{};
  const std::vector<netapi::BYTE> sid = LookUpSid(user.name(), use);
  ASSERT_EQ(sid.size(), 28u);
  EXPECT_EQ(NameOf(sid, use), user.name());
  EXPECT_EQ(use, netapi::SidTypeUser);
  EXPECT_EQ(NameOf(WithRid(sid, 513), use), u"Domain Users");
  EXPECT_EQ(use, netapi::SidTypeGroup);

  // A relative id no account has, and the same ids in another domain.
  EXPECT_EQ(NameOf(WithRid(sid, 0x7FFFFFF0), use), u"");
  EXPECT_EQ(TheApi().LastError(), netapi::ERROR_NONE_MAPPED);
  std::vector<netapi::BYTE> foreign = sid;
  foreign[12] ^= 1;  // the domain's first sub-authority
  EXPECT_EQ(NameOf(foreign, use), u"");
  EXPECT_EQ(TheApi().LastError(), netapi::ERROR_NONE_MAPPED);
  EXPECT_EQ(NameOf(WithRid(foreign, 513), use), u"");
  EXPECT_EQ(TheApi().LastError(), netapi::ERROR_NONE_MAPPED);
}

TEST(SidLookup, UnknownNamesAreNotMapped) {
  netapi::BYTE probe[1] = {};
  DWORD sid_size = 0, domain_size = 1;
  SID_NAME_USE use{};
  EXPECT_FALSE(TheApi().LookupAccountName(u"", W(UniqueName("cvx")).c_str(),
                                          probe, &sid_size, nullptr,
                                          &domain_size, &use));
  EXPECT_EQ(TheApi().LastError(), netapi::ERROR_NONE_MAPPED);
  EXPECT_EQ(sid_size, 0u);
  EXPECT_FALSE(TheApi().LookupAccountName(u"", u"OTHERDOM\\Administrator",
                                          probe, &sid_size, nullptr,
                                          &domain_size, &use));
  EXPECT_EQ(TheApi().LastError(), netapi::ERROR_NONE_MAPPED);
}

}  // namespace
}  // namespace corvane::integration
