// Global groups and their members through the Samba backend.
#include <gtest/gtest.h>

#include "tests/integration/accounts.h"
#include "tests/integration/enumeration.h"

namespace corvane::integration {
namespace {

using netapi::DWORD;
using netapi::DWORD_PTR;
using netapi::LPBYTE;
using netapi::NERR_Success;

netapi::NET_API_STATUS AddGroup(const std::u16string& name,
                                const std::u16string& comment) {
  std::u16string n = name, c = comment;
  netapi::GROUP_INFO_1 record{n.data(), c.data()};
  DWORD parm_err = 0;
  return TheApi().NetGroupAdd(u"", 1, reinterpret_cast<LPBYTE>(&record),
                              &parm_err);
}

class ScopedGroup {
 public:
  explicit ScopedGroup(std::u16string name) : name_(std::move(name)) {}
  ~ScopedGroup() { TheApi().NetGroupDel(u"", name_.c_str()); }
  const std::u16string& name() const { return name_; }
  const char16_t* c_str() const { return name_.c_str(); }

 private:
  std::u16string name_;
};

std::string Comment(const std::u16string& group,
                    netapi::NET_API_STATUS expected = NERR_Success) {
  netapi::ApiBuffer buffer(TheApi());
  EXPECT_EQ(TheApi().NetGroupGetInfo(u"", group.c_str(), 1, buffer.put()),
            expected);
  if (expected != NERR_Success) return {};
  EXPECT_EQ(std::u16string(buffer.As<netapi::GROUP_INFO_1>()->grpi1_name),
            group);
  return Narrow(buffer.As<netapi::GROUP_INFO_1>()->grpi1_comment);
}

Enumeration Members(const std::u16string& group) {
  DWORD_PTR resume = 0;
  return EnumerateAll([&](LPBYTE* buf, DWORD* read, DWORD* total) {
    return TheApi().NetGroupGetUsers(u"", group.c_str(), 0, buf, 255, read,
                                     total, &resume);
  });
}

TEST(Groups, AddReadCommentAndDelete) {
  const std::u16string name = W(UniqueName("cvgrp"));
  ASSERT_EQ(AddGroup(name, u"first comment"), NERR_Success);
  EXPECT_EQ(AddGroup(name, u"again"), netapi::NERR_GroupExists);
  EXPECT_EQ(Comment(name), "first comment");

  // Level 1 changes the comment; the name member does not rename.
  std::u16string other = u"renamed", comment = u"second comment";
  netapi::GROUP_INFO_1 record{other.data(), comment.data()};
  DWORD parm_err = 0;
  ASSERT_EQ(
      TheApi().NetGroupSetInfo(u"", name.c_str(), 1,
                               reinterpret_cast<LPBYTE>(&record), &parm_err),
      NERR_Success);
  EXPECT_EQ(Comment(name), "second comment");

  EXPECT_EQ(TheApi().NetGroupDel(u"", name.c_str()), NERR_Success);
  Comment(name, netapi::NERR_GroupNotFound);
  EXPECT_EQ(TheApi().NetGroupDel(u"", name.c_str()),
            netapi::NERR_GroupNotFound);
  EXPECT_EQ(
      TheApi().NetGroupSetInfo(u"", name.c_str(), 1,
                               reinterpret_cast<LPBYTE>(&record), &parm_err),
      netapi::NERR_GroupNotFound);
}

TEST(Groups, NewGroupIsEnumerated) {
  ScopedGroup group(W(UniqueName("cvgen")));
  ASSERT_EQ(AddGroup(group.name(), u""), NERR_Success);
  DWORD_PTR resume = 0;
  const Enumeration e =
      EnumerateAll([&](LPBYTE* buf, DWORD* read, DWORD* total) {
        return TheApi().NetGroupEnum(u"", 0, buf, 255, read, total, &resume);
      });
  ASSERT_EQ(e.status, NERR_Success);
  EXPECT_NE(std::find(e.names.begin(), e.names.end(), Narrow(group.c_str())),
            e.names.end());
}

TEST(Groups, MembershipIsAddedListedAndRemoved) {
  ScopedGroup group(W(UniqueName("cvmem")));
  ScopedUser first(W(UniqueName("cvm1"))), second(W(UniqueName("cvm2")));
  ASSERT_EQ(AddGroup(group.name(), u"members"), NERR_Success);
  ASSERT_EQ(AddUser(first.name()), NERR_Success);
  ASSERT_EQ(AddUser(second.name()), NERR_Success);

  Enumeration none = Members(group.name());
  EXPECT_EQ(none.status, NERR_Success);
  EXPECT_TRUE(none.names.empty());

  ASSERT_EQ(TheApi().NetGroupAddUser(u"", group.c_str(), first.c_str()),
            NERR_Success);
  ASSERT_EQ(TheApi().NetGroupAddUser(u"", group.c_str(), second.c_str()),
            NERR_Success);
  EXPECT_EQ(TheApi().NetGroupAddUser(u"", group.c_str(), first.c_str()),
            netapi::NERR_UserInGroup);
  Enumeration both = Members(group.name());
  EXPECT_EQ(both.status, NERR_Success);
  std::sort(both.names.begin(), both.names.end());
  std::vector<std::string> expected{Narrow(first.c_str()),
                                    Narrow(second.c_str())};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(both.names, expected);

  ASSERT_EQ(TheApi().NetGroupDelUser(u"", group.c_str(), first.c_str()),
            NERR_Success);
  EXPECT_EQ(TheApi().NetGroupDelUser(u"", group.c_str(), first.c_str()),
            netapi::NERR_UserNotInGroup);
  EXPECT_EQ(Members(group.name()).names,
            std::vector<std::string>{Narrow(second.c_str())});
}

TEST(Groups, MissingGroupsAndUsersAreReportedAsSuch) {
  const std::u16string missing_group = W(UniqueName("cvnog"));
  const std::u16string missing_user = W(UniqueName("cvnou"));
  ScopedGroup group(W(UniqueName("cvgm")));
  ASSERT_EQ(AddGroup(group.name(), u""), NERR_Success);

  EXPECT_EQ(Members(missing_group).status, netapi::NERR_GroupNotFound);
  EXPECT_EQ(
      TheApi().NetGroupAddUser(u"", missing_group.c_str(), u"Administrator"),
      netapi::NERR_GroupNotFound);
  EXPECT_EQ(
      TheApi().NetGroupDelUser(u"", missing_group.c_str(), u"Administrator"),
      netapi::NERR_GroupNotFound);
  EXPECT_EQ(TheApi().NetGroupAddUser(u"", group.c_str(), missing_user.c_str()),
            netapi::NERR_UserNotFound);
  EXPECT_EQ(TheApi().NetGroupDelUser(u"", group.c_str(), missing_user.c_str()),
            netapi::NERR_UserNotFound);
  EXPECT_EQ(Members(u"").status, netapi::NERR_GroupNotFound);
}

TEST(Groups, NonAsciiNamesAndCommentsRoundTrip) {
  ScopedGroup group(u"Gruppe Ødegård 日本" + W(UniqueName("")));
  ASSERT_EQ(AddGroup(group.name(), u"Jürgen Ødegård 日本 \U0001D11E"),
            NERR_Success);
  EXPECT_EQ(Comment(group.name()), "Jürgen Ødegård 日本 \U0001D11E");
  ScopedUser user(u"Jürgen" + W(UniqueName("")));
  ASSERT_EQ(AddUser(user.name()), NERR_Success);
  ASSERT_EQ(TheApi().NetGroupAddUser(u"", group.c_str(), user.c_str()),
            NERR_Success);
  EXPECT_EQ(Members(group.name()).names,
            std::vector<std::string>{Narrow(user.c_str())});
}

}  // namespace
}  // namespace corvane::integration
