// NTGroup: selecting a group and its comment, the group's own user object,
// and adding and deleting groups.
#include "tests/fixture.h"

namespace corvane::testing {
namespace {

class GroupTest : public ClientTest {
 protected:
  ObjectRef Groups(std::int32_t logging = common::kLogFull) {
    ObjectRef domain = LocatedDomain();
    Put(domain, u"eLogging", logging);
    events_.Clear();
    dc_.journal().Clear();
    return Object(domain, u"Groups");
  }
};

TEST_F(GroupTest, ANewGroupObjectHasNoSelection) {
  ObjectRef groups = Object(NewDomain(), u"Groups");
  EXPECT_EQ(Text(groups, u"sGroupName"), u"");
  EXPECT_EQ(Text(groups, u"sComment"), u"");
  EXPECT_EQ(Text(groups, u"sLastError"), u"");
  EXPECT_EQ(Object(groups, u"Users"), nullptr);
  EXPECT_EQ(U8(Text(groups, u"sLastError")), "ERROR - No group specified");
}

TEST_F(GroupTest, EachSelectionGivesAFreshUserObject) {
  ObjectRef groups = Groups();
  Put(groups, u"sGroupName", u"sales");
  EXPECT_EQ(Text(groups, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(groups, u"sGroupName"), u"sales");
  EXPECT_EQ(Text(groups, u"sComment"), u"Sales team");
  const JournalCall lookup = dc_.journal().Of("NetGroupGetInfo").at(0);
  EXPECT_EQ(lookup.Text("servername"), u"\\\\DC1");
  EXPECT_EQ(lookup.Text("groupname"), u"sales");
  EXPECT_EQ(lookup.Number("level"), 1u);

  EXPECT_FALSE(CallBool(groups, u"Add", {u"Sales", u""}));
  const std::u16string add_error = Text(groups, u"sLastError");
  ObjectRef first = Object(groups, u"Users");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Text(groups, u"sLastError"), add_error) << "reading Users wrote it";
  EXPECT_EQ(Object(groups, u"Users").get(), first.get());
  EXPECT_EQ(Object(first, u"oParent").get(), groups.get());
  Put(groups, u"sGroupName", u"sales");
  EXPECT_NE(Object(groups, u"Users").get(), first.get());

  directory().FindGroup(u"Sales")->comment.clear();
  Put(groups, u"sGroupName", u"Sales");
  EXPECT_EQ(Text(groups, u"sComment"), u"");
  EXPECT_EQ(Text(groups, u"sLastError"), u"SUCCESS");
  EXPECT_TRUE(events().empty()) << "selections are never logged";
}

TEST_F(GroupTest, AFailedSelectionUnselectsAndAnEmptyNameOnlyClearsTheName) {
  ObjectRef groups = Groups();
  Put(groups, u"sGroupName", u"Sales");
  Put(groups, u"sGroupName", u"Nothing");
  EXPECT_EQ(Text(groups, u"sGroupName"), u"");
  EXPECT_EQ(Text(groups, u"sComment"), u"");
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR - Unable to retrieve group information (error #2220)");
  EXPECT_EQ(Object(groups, u"Users"), nullptr);

  Put(groups, u"sGroupName", u"Sales");
  dc_.FailCall("NetGroupGetInfo", 1, netapi::ERROR_ACCESS_DENIED);
  Put(groups, u"sGroupName", u"Sales");
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR - Unable to retrieve group information (error #5)");

  Put(groups, u"sGroupName", u"Sales");
  dc_.journal().Clear();
  Put(groups, u"sGroupName", u"");
  EXPECT_EQ(Text(groups, u"sGroupName"), u"");
  EXPECT_EQ(Text(groups, u"sComment"), u"Sales team");
  EXPECT_EQ(Text(groups, u"sLastError"), u"SUCCESS");
  EXPECT_TRUE(dc_.journal().calls().empty());

  Put(groups, u"sGroupName", std::u16string(u"Sales\0x", 7));
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR - Text contains a NUL character");
  EXPECT_EQ(dc_.journal().Count("NetGroupGetInfo"), 0u);
}

TEST_F(GroupTest, CommentChangesAndTheirLogGate) {
  ObjectRef groups = Groups(common::kLogAddDel);
  Put(groups, u"sGroupName", u"Sales");
  Put(groups, u"sComment", u"Sales and marketing");
  EXPECT_EQ(Text(groups, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(groups, u"sComment"), u"Sales and marketing");
  EXPECT_EQ(directory().FindGroup(u"Sales")->comment, u"Sales and marketing");
  EXPECT_TRUE(events().empty());
  const JournalCall set = dc_.journal().Of("NetGroupSetInfo").at(0);
  EXPECT_EQ(set.Number("level"), 1u);
  EXPECT_EQ(set.Text("grpi1_name"), u"Sales");
  EXPECT_EQ(set.Number("grpi1_name.block_bytes"), 12u);
  EXPECT_EQ(set.Text("grpi1_comment"), u"Sales and marketing");

  Put(Object(groups, u"oParent"), u"eLogging", common::kLogFull);
  Put(groups, u"sComment", u"");
  const JournalCall cleared = dc_.journal().Of("NetGroupSetInfo").back();
  EXPECT_EQ(cleared.Text("grpi1_comment"), u"");
  EXPECT_EQ(cleared.Number("grpi1_comment.block_bytes"), 2u);
  Put(groups, u"sComment", u"Sales");
  EXPECT_EQ(events(), (std::vector<std::u16string>{
                          u"Changed comment for group Sales to ",
                          u"Changed comment for group Sales to Sales"}));

  // It goes to the domain's controller of now, not of the selection.
  dc_.AddDomain(u"OTHER", u"DC9");
  Put(Object(groups, u"oParent"), u"sDomain", u"OTHER");
  Put(groups, u"sComment", u"moved");
  EXPECT_EQ(dc_.journal().Of("NetGroupSetInfo").back().Text("servername"),
            u"\\\\DC9");
}

TEST_F(GroupTest, AFailedCommentChangeEmptiesTheCachedComment) {
  ObjectRef groups = Groups();
  Put(groups, u"sGroupName", u"Sales");
  dc_.FailCall("NetGroupSetInfo", 1, netapi::ERROR_ACCESS_DENIED);
  Put(groups, u"sComment", u"new");
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR - Unable to set group information (error #5)");
  EXPECT_EQ(Text(groups, u"sComment"), u"");
  EXPECT_EQ(directory().FindGroup(u"Sales")->comment, u"Sales team");

  dc_.FailCall("NetApiBufferAllocate", 2, netapi::ERROR_NOT_ENOUGH_MEMORY);
  Put(groups, u"sComment", u"new");
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR - Unable to set group information (error #8)");
  EXPECT_EQ(dc_.journal().Count("NetGroupSetInfo"), 1u);
  EXPECT_TRUE(events().empty());

  Put(groups, u"sGroupName", u"");
  Put(groups, u"sComment", u"new");
  EXPECT_EQ(U8(Text(groups, u"sLastError")), "ERROR - No group specified");
  EXPECT_EQ(dc_.journal().Count("NetGroupSetInfo"), 1u);
}

TEST_F(GroupTest, AddCreatesAGroupWithoutSelectingIt) {
  ObjectRef groups = Groups(common::kLogAddDel);
  Put(groups, u"sGroupName", u"Sales");
  EXPECT_TRUE(CallBool(groups, u"Add", {u"Engineers", u"Builds things"}));
  EXPECT_EQ(Text(groups, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(groups, u"sGroupName"), u"Sales");
  EXPECT_EQ(directory().FindGroup(u"Engineers")->comment, u"Builds things");
  const JournalCall add = dc_.journal().Of("NetGroupAdd").at(0);
  EXPECT_EQ(add.Number("level"), 1u);
  EXPECT_EQ(add.Number("parm_err"), 0u);
  EXPECT_EQ(add.Text("grpi1_name"), u"Engineers");
  EXPECT_EQ(add.Number("grpi1_comment.block_bytes"), 28u);
  EXPECT_EQ(events(), (std::vector<std::u16string>{u"Added group Engineers"}));

  EXPECT_FALSE(CallBool(groups, u"Add", {u"SALES", u""}));
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR 2223 in parameter 0 when adding group SALES");
  EXPECT_FALSE(CallBool(groups, u"Add", {u"a/b", u""}));
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR 87 in parameter 1 when adding group a/b");
  for (const char16_t* name : {u"a\nb", u"\x1b[2J", u"x\x7f", u"\x01"}) {
    EXPECT_FALSE(CallBool(groups, u"Add", {name, u""}));
    EXPECT_EQ(
        Text(groups, u"sLastError"),
        u"ERROR 1358 in parameter 0 when adding group " + std::u16string(name));
  }
  EXPECT_FALSE(CallBool(groups, u"Add", {u"", u"x"}));
  EXPECT_EQ(U8(Text(groups, u"sLastError")), "ERROR - No group specified");
  dc_.FailCall("NetApiBufferAllocate", 2, netapi::ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_FALSE(CallBool(groups, u"Add", {u"Other", u"x"}));
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR 8 in parameter 0 when adding group Other");
  EXPECT_EQ(dc_.journal().Count("NetGroupAdd"), 7u);
  EXPECT_EQ(directory().FindGroup(u"a\nb"), nullptr);
  EXPECT_EQ(events().size(), 1u);

  Put(Object(groups, u"oParent"), u"eLogging", common::kLogNone);
  EXPECT_TRUE(CallBool(groups, u"Add", {u"Quiet", u""}));
  EXPECT_EQ(events().size(), 1u);
}

TEST_F(GroupTest, DeleteTakesAnyVariantComparedAsText) {
  ObjectRef groups = Groups(common::kLogAddDel);
  for (const Variant& nothing : {Variant{u""}, Variant{}}) {
    EXPECT_FALSE(CallBool(groups, u"Delete", {nothing}));
    EXPECT_EQ(U8(Text(groups, u"sLastError")), "ERROR - No group specified");
  }
  EXPECT_EQ(dc_.journal().Count("NetGroupDel"), 0u);

  directory().AddGroup({u"42", u"", {}, {}});
  EXPECT_TRUE(CallBool(groups, u"Delete", {std::int32_t{42}}));
  EXPECT_TRUE(CallBool(groups, u"Delete", {u"Sales"}));
  EXPECT_EQ(directory().FindGroup(u"Sales"), nullptr);
  EXPECT_EQ(events(), (std::vector<std::u16string>{u"Deleted group 42",
                                                   u"Deleted group Sales"}));

  EXPECT_FALSE(CallBool(groups, u"Delete", {u"Sales"}));
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR - Unable to delete group (error #2220)");
  EXPECT_FALSE(
      CallBool(groups, u"Delete", {Variant{std::u16string(u"a\0b", 3)}}));
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR - Text contains a NUL character");
  EXPECT_EQ(events().size(), 2u);
}

TEST_F(GroupTest, DeletingTheSelectedGroupKeepsTheSelection) {
  ObjectRef groups = Groups();
  Put(groups, u"sGroupName", u"Sales");
  EXPECT_TRUE(CallBool(groups, u"Delete", {u"Sales"}));
  EXPECT_EQ(Text(groups, u"sGroupName"), u"Sales");
  Put(groups, u"sComment", u"gone");
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR - Unable to set group information (error #2220)");
}

}  // namespace
}  // namespace corvane::testing
