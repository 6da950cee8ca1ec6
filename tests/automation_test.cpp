// The portable automation runtime: coercion as automation does it, string
// arrays passed by reference, text conversion, and the checks late-bound
// dispatch makes before a member runs.
#include <gtest/gtest.h>

#include "automation/coercion.h"
#include "automation/error.h"
#include "automation/string_array.h"
#include "automation/text.h"
#include "tests/fixture.h"
#include "tests/freed_memory_watch.h"

namespace corvane::automation {
namespace {

using testing::ClientTest;
using testing::FreedMemoryWatch;

TEST(Coercion, ToStringFollowsAutomationRules) {
  EXPECT_EQ(ToString(Variant{}), u"");
  EXPECT_EQ(ToString(Variant{std::int32_t{-42}}), u"-42");
  EXPECT_EQ(ToString(Variant{std::int16_t{7}}), u"7");
  EXPECT_EQ(ToString(Variant::FromBool(true)), u"True");
  EXPECT_EQ(ToString(Variant::FromBool(false)), u"False");
  EXPECT_EQ(ToString(Variant{u"a\0b"}), u"a");  // a C literal stops at NUL
  EXPECT_EQ(ToString(Variant{std::u16string(u"a\0b", 3)}),
            std::u16string(u"a\0b", 3));
  for (const Variant& bad :
       {Variant{Missing{}}, Variant{Null{}}, Variant{ObjectRef{}},
        Variant{Share(Secret(u"pw"))}}) {
    EXPECT_THROW(ToString(bad), AutomationError);
  }
}

TEST(Coercion, ToBooleanAndToInt32FollowAutomationRules) {
  EXPECT_EQ(ToBoolean(Variant{}), VARIANT_FALSE);
  EXPECT_EQ(ToBoolean(Variant{std::int32_t{5}}), VARIANT_TRUE);
  EXPECT_EQ(ToBoolean(Variant{u" true "}), VARIANT_TRUE);
  EXPECT_EQ(ToBoolean(Variant{u"FALSE"}), VARIANT_FALSE);
  EXPECT_EQ(ToBoolean(Variant{u"0"}), VARIANT_FALSE);
  EXPECT_EQ(ToBoolean(Variant{u"-1"}), VARIANT_TRUE);

  EXPECT_EQ(ToInt32(Variant{}), 0);
  EXPECT_EQ(ToInt32(Variant::FromBool(true)), -1);
  EXPECT_EQ(ToInt32(Variant{u" 2 "}), 2);
  EXPECT_EQ(ToInt32(Variant{u"2.5"}), 2);  // rounds half to even
  EXPECT_EQ(ToInt32(Variant{u"3.5"}), 4);

  EXPECT_AUTOMATION_ERROR(ToBoolean(Variant{u"yes"}), DISP_E_TYPEMISMATCH);
  EXPECT_AUTOMATION_ERROR(ToBoolean(Variant{Missing{}}), DISP_E_TYPEMISMATCH);
  EXPECT_AUTOMATION_ERROR(ToInt32(Variant{u"admin"}), DISP_E_TYPEMISMATCH);
  EXPECT_AUTOMATION_ERROR(ToInt32(Variant{Null{}}), DISP_E_TYPEMISMATCH);
  EXPECT_AUTOMATION_ERROR(ToInt32(Variant{u"3000000000"}), DISP_E_OVERFLOW);
}

TEST(Coercion, EmptyStringComparison) {
  EXPECT_TRUE(EqualsEmptyString(Variant{}));
  EXPECT_TRUE(EqualsEmptyString(Variant{u""}));
  EXPECT_FALSE(EqualsEmptyString(Variant{Null{}}));
  EXPECT_FALSE(EqualsEmptyString(Variant{u"Sales"}));
  EXPECT_FALSE(EqualsEmptyString(Variant{std::int32_t{0}}));
}

TEST(StringArray, RedimensionsWithAndWithoutKeepingContents) {
  StringArray list;
  EXPECT_EQ(list.size(), 0u);
  list.Redim(0, 1);
  list.Set(1, u"None");
  list.Append(u"x");
  EXPECT_EQ(list.LowerBound(), 0);
  EXPECT_EQ(list.UpperBound(), 2);
  EXPECT_EQ(list.at(0), u"");
  EXPECT_EQ(list.at(1), u"None");
  EXPECT_EQ(list.at(2), u"x");
  list.Redim(0, 1);
  EXPECT_EQ(list.at(1), u"");
  EXPECT_THROW(list.at(2), AutomationError);
}

TEST(StringArray, FixedSizeAndLockedArraysRefuseToChange) {
  StringArray fixed = StringArray::FixedSize(1, 3);
  fixed.Set(1, u"keep");
  EXPECT_AUTOMATION_ERROR(fixed.Redim(0, 1), E_INVALIDARG);
  EXPECT_AUTOMATION_ERROR(fixed.Append(u"x"), E_INVALIDARG);
  EXPECT_EQ(fixed.LowerBound(), 1);
  EXPECT_EQ(fixed.at(1), u"keep");

  StringArray locked;
  locked.Redim(0, 0);
  locked.Lock();
  EXPECT_AUTOMATION_ERROR(locked.Redim(0, 5), DISP_E_ARRAYISLOCKED);
  locked.Unlock();
  locked.Redim(0, 5);
  EXPECT_EQ(locked.UpperBound(), 5);
}

TEST(Text, Utf8RoundTripsSurrogatesAndRefusesBadInput) {
  const std::u16string text =
      u"J\u00fcrgen \u00d8deg\u00e5rd \u65e5\u672c \U0001F600";
  EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
  EXPECT_EQ(ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_FALSE(FromUtf8("\xC3").has_value());          // cut short
  EXPECT_FALSE(FromUtf8("\xC0\xAF").has_value());      // overlong
  EXPECT_FALSE(FromUtf8("\xED\xA0\x80").has_value());  // a lone surrogate

  const std::u16string lone_surrogate{u'a', char16_t{0xD800}, u'b'};
  EXPECT_EQ(ToUtf8(lone_surrogate),
            "a\xEF\xBF\xBD"
            "b");  // U+FFFD
  EXPECT_FALSE(ToUtf8Strict(lone_surrogate).has_value());
  EXPECT_EQ(ToUtf8Strict(text), ToUtf8(text));
  // The same conversions for secrets.
  EXPECT_EQ(ToUtf8Secret(text)->view(), ToUtf8(text));
  EXPECT_EQ(FromUtf8Secret(ToUtf8(text))->view(), text);
  EXPECT_FALSE(ToUtf8Secret(lone_surrogate).has_value());
  EXPECT_FALSE(FromUtf8Secret("\xC3").has_value());
  EXPECT_EQ(EscapeControls("a\r\nb\x7F\xC3\xA9"), "a\\x0D\\x0Ab\\x7F\xC3\xA9");
  // C1 controls (CSI), a bidirectional override and isolate, the line
  // separator, and a byte that is not UTF-8 cannot reach a terminal raw.
  EXPECT_EQ(EscapeControls("\xC2\x9B"
                           "2J\xE2\x80\xAEx\xE2\x81\xA6\xE2\x80\xA8\x9B"),
            "\\u009B2J\\u202Ex\\u2066\\u2028\\x9B");
}

// A secret leaves no copy of its text in any block it gives back: when it
// grows, moves or is released.
TEST(Secret, GrowsMovesAndReleasesWithoutLeavingItsText) {
  constexpr std::u16string_view kText =
      u"a password long enough to outgrow the first block";
  FreedMemoryWatch watch(kText.substr(0, 16));
  {
    Secret grown;
    for (char16_t c : kText) grown.push_back(c);
    Secret moved = std::move(grown);
    EXPECT_TRUE(grown.empty());
    EXPECT_EQ(moved.view(), kText);
    const Secret copy = moved.Clone();
    EXPECT_EQ(copy, moved);
    moved = Secret(std::u16string_view(u"short"));
    EXPECT_EQ(std::u16string_view(moved.c_str()), u"short");
  }
  EXPECT_EQ(watch.unwiped_blocks(), 0u);
}

TEST(Text, AsciiLettersAloneFoldInComparisons) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"corvane.NTDOMAIN", "Corvane.NTDomain"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("DC1.Corvane.Test", "dc1.corvane.test"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"sDomainX", "sDomain"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(u"\u00e9", "\xe9"));  // é vs a byte
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xc3\xa9", "\xc3\x89"));  // é vs É
}

class Dispatch : public ClientTest {};

TEST_F(Dispatch, NamesResolveCaseInsensitivelyToTheContractIds) {
  ObjectRef domain = NewDomain();
  ObjectRef users = Object(domain, u"Users");
  EXPECT_EQ(GetIdOfName(domain->Contract(), u"SDOMAIN"), 0x68030001);
  EXPECT_EQ(GetIdOfName(domain->Contract(), u"elogging"), 0x68030005);
  EXPECT_EQ(GetIdOfName(users->Contract(), u"Enumerate"), 0x60030013);
  EXPECT_EQ(GetIdOfName(Object(domain, u"Groups")->Contract(), u"add"),
            0x60030006);
  EXPECT_AUTOMATION_ERROR(GetIdOfName(domain->Contract(), u"SetParent"),
                          DISP_E_UNKNOWNNAME);
  EXPECT_AUTOMATION_ERROR(GetIdOfName(domain->Contract(), u"LocateDC"),
                          DISP_E_UNKNOWNNAME);
}

TEST_F(Dispatch, CallsAreCheckedBeforeTheMemberRuns) {
  ObjectRef domain = NewDomain();
  ObjectRef users = Object(domain, u"Users");
  std::vector<Variant> none;
  // sPassword is write-only; sDC has no setter.
  EXPECT_AUTOMATION_ERROR(Get(users, u"sPassword"), DISP_E_MEMBERNOTFOUND);
  EXPECT_AUTOMATION_ERROR(Put(domain, u"sDC", u"x"), DISP_E_MEMBERNOTFOUND);
  EXPECT_AUTOMATION_ERROR(Invoke(*domain, 0x12345, DISPATCH_METHOD, none),
                          DISP_E_MEMBERNOTFOUND);
  EXPECT_AUTOMATION_ERROR(Call(users, u"Delete", {u"extra"}),
                          DISP_E_BADPARAMCOUNT);
  EXPECT_AUTOMATION_ERROR(Call(users, u"Add"), DISP_E_BADPARAMCOUNT);
  EXPECT_AUTOMATION_ERROR(Call(users, u"Add", {Missing{}}),
                          DISP_E_PARAMNOTFOUND);
  EXPECT_AUTOMATION_ERROR(Put(domain, u"eLogging", u"full"),
                          DISP_E_TYPEMISMATCH);
  EXPECT_AUTOMATION_ERROR(Call(users, u"Enumerate", {u"not an array"}),
                          DISP_E_TYPEMISMATCH);
  EXPECT_TRUE(dc_.journal().calls().size() == 1) << "only the platform check";
}

TEST_F(Dispatch, InvokesByDispatchIdAndCoercesArguments) {
  ObjectRef domain = NewDomain();
  std::vector<Variant> args = {Variant{u"CORVANE"}};
  Invoke(*domain, 0x68030001, DISPATCH_PROPERTYPUT, args);
  std::vector<Variant> none;
  EXPECT_EQ(Invoke(*domain, 0x68030000, DISPATCH_PROPERTYGET, none)
                .As<std::u16string>(),
            u"\\\\DC1");
  // Scripting clients ask for "method or get" on properties.
  EXPECT_EQ(
      Invoke(*domain, 0x68030001, DISPATCH_METHOD | DISPATCH_PROPERTYGET, none)
          .As<std::u16string>(),
      u"CORVANE");
  std::vector<Variant> level = {Variant{u"2"}};
  Invoke(*domain, 0x68030005, DISPATCH_PROPERTYPUT, level);
  EXPECT_EQ(Number(domain, u"eLogging"), 2);
}

TEST_F(Dispatch, AnEmptyVariantForAnArrayReceivesANewArray) {
  ObjectRef groups = Object(LocatedDomain(), u"Groups");
  std::vector<Variant> args(1);  // what a script passes for `Dim list`
  Invoke(*groups, GetIdOfName(groups->Contract(), u"Enumerate"),
         DISPATCH_METHOD, args);
  ASSERT_TRUE(args[0].Is<StringArrayRef>());
  const auto& names = args[0].As<StringArrayRef>()->elements();
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0], u"");
  EXPECT_EQ(names[1], u"Domain Admins");
  EXPECT_EQ(names[3], u"Sales");
}

}  // namespace
}  // namespace corvane::automation
