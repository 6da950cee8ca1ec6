// NTDomain through the dispatch layer against the simulated controller:
// creation and its platform check, the controller lookup, the logging level,
// the children, and the class factory.
#include "tests/fixture.h"

namespace corvane::testing {
namespace {

using automation::AutomationError;
using netapi::NERR_DCNotFound;

class DomainTest : public ClientTest {};

TEST_F(DomainTest, ANewDomainIsEmptyAndLogsAtAddDel) {
  dc_.set_thread_id(4242);
  ObjectRef domain = NewDomain();
  EXPECT_EQ(Text(domain, u"sDomain"), u"");
  EXPECT_EQ(Text(domain, u"sDC"), u"");
  EXPECT_EQ(Text(domain, u"sLastError"), u"");
  EXPECT_EQ(Number(domain, u"eLogging"), 1);
  // No lookup at creation: only the platform was asked.
  EXPECT_EQ(dc_.journal().Count("GetVersionEx"), 1u);
  EXPECT_EQ(dc_.journal().calls().size(), 1u);
  ASSERT_EQ(events().size(), 1u);
  EXPECT_EQ(U8(events()[0]),
            "NTDomain object version 2.6 (thread #4242) initializing...");
}

TEST_F(DomainTest, EndMessageIsWrittenWhateverTheLoggingLevel) {
  dc_.set_thread_id(77);
  ObjectRef domain = factory_.CreateObject(u"Corvane.NTDomain");
  Put(domain, u"eLogging", std::int32_t{0});
  domain.reset();
  ASSERT_EQ(events().size(), 2u);
  EXPECT_EQ(U8(events()[1]), "NTDomain object (thread #77) terminating...");
}

TEST_F(DomainTest, PlatformCheckRefusesSystemsOtherThanNT) {
  dc_.set_platform_id(netapi::VER_PLATFORM_WIN32_WINDOWS);
  try {
    factory_.CreateObject(u"Corvane.NTDomain");
    FAIL() << "created on a system that is not NT";
  } catch (const AutomationError& error) {
    EXPECT_EQ(static_cast<unsigned>(error.hresult()), 0x80040001u);
    EXPECT_EQ(error.hresult(), -2147221503);
    EXPECT_EQ(error.source(), u"Corvane Initialize");
    EXPECT_EQ(error.description(),
              u"Corvane requires Windows NT 3.51 (Workstation or Server) or "
              u"higher");
  }
  EXPECT_TRUE(events().empty()) << "nothing logged, not even an end message";
}

TEST_F(DomainTest, LookupAsksTheLocalComputerAndKeepsTheNameWhole) {
  ObjectRef domain = NewDomain();
  Put(domain, u"sDomain", u"corvane");
  EXPECT_EQ(Text(domain, u"sDC"), u"\\\\DC1");
  EXPECT_EQ(Text(domain, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(domain, u"sDomain"), u"corvane");  // as assigned
  const JournalCall lookup = dc_.journal().Of("NetGetDCName").at(0);
  EXPECT_EQ(lookup.Text("servername"), u"");  // an empty string, not null
  EXPECT_EQ(lookup.Text("domainname"), u"corvane");

  // A controller name longer than the old 49-character limit is kept whole.
  const std::u16string long_name(60, u'L');
  dc_.AddDomain(u"FAR", long_name);
  Put(domain, u"sDomain", u"FAR");
  EXPECT_EQ(Text(domain, u"sDC"), u"\\\\" + long_name);
  EXPECT_TRUE(events().size() == 1) << "lookups are never logged";
}

TEST_F(DomainTest, FailedAndRepeatedLookups) {
  ObjectRef domain = NewDomain();
  Put(domain, u"sDomain", u"CORVANE");
  Put(domain, u"sDomain", u"NOWHERE");
  EXPECT_EQ(Text(domain, u"sDomain"), u"NOWHERE");
  EXPECT_EQ(Text(domain, u"sDC"), u"");
  EXPECT_EQ(U8(Text(domain, u"sLastError")),
            "ERROR - Unable to locate domain controller (error #2453)");

  Put(domain, u"sDomain", u"CORVANE");
  EXPECT_EQ(Text(domain, u"sLastError"), u"SUCCESS");
  Put(domain, u"sDomain", u"CORVANE");
  EXPECT_EQ(dc_.journal().Count("NetGetDCName"), 4u)
      << "each assignment looks up";

  // Statuses are signed decimal: a negative one keeps its sign.
  dc_.FailCall("NetGetDCName", 1, 0x80070005);
  Put(domain, u"sDomain", u"CORVANE");
  EXPECT_EQ(U8(Text(domain, u"sLastError")),
            "ERROR - Unable to locate domain controller (error #-2147024891)");
  EXPECT_EQ(Text(domain, u"sDC"), u"");
}

TEST_F(DomainTest, AnEmptyDomainNameIsSentAsAnEmptyString) {
  ObjectRef domain = NewDomain();
  Put(domain, u"sDomain", u"");
  const JournalCall lookup = dc_.journal().Of("NetGetDCName").at(0);
  EXPECT_FALSE(lookup.IsNullText("domainname"));
  EXPECT_EQ(lookup.Text("domainname"), u"");
}

TEST_F(DomainTest, ADomainNameHoldingNulIsRefusedBeforeAnyCall) {
  ObjectRef domain = LocatedDomain();
  const std::u16string name(u"CORVANE\0EVIL", 12);
  Put(domain, u"sDomain", name);
  EXPECT_EQ(Text(domain, u"sDomain"), name);
  EXPECT_EQ(Text(domain, u"sDC"), u"");
  EXPECT_EQ(U8(Text(domain, u"sLastError")),
            "ERROR - Text contains a NUL character");
  EXPECT_EQ(dc_.journal().Count("NetGetDCName"), 1u);
}

TEST_F(DomainTest, LoggingLevelKeepsAny32BitValue) {
  ObjectRef domain = NewDomain();
  for (std::int32_t level : {7, -1, 0, 2}) {
    Put(domain, u"eLogging", level);
    EXPECT_EQ(Number(domain, u"eLogging"), level);
  }
  EXPECT_EQ(Text(domain, u"sLastError"), u"");
}

TEST_F(DomainTest, ChildrenAreTheSameObjectsForTheDomainsLife) {
  ObjectRef domain = NewDomain();
  EXPECT_EQ(Object(domain, u"Users").get(), Object(domain, u"Users").get());
  EXPECT_EQ(Object(domain, u"Groups").get(), Object(domain, u"Groups").get());
  EXPECT_NE(Object(domain, u"Users").get(), Object(domain, u"Groups").get());
  EXPECT_EQ(Object(Object(domain, u"Users"), u"oParent").get(), domain.get());
  EXPECT_EQ(Object(Object(domain, u"Groups"), u"oParent").get(), domain.get());
}

TEST_F(DomainTest, ChildrenSeeTheDomainsCurrentController) {
  ObjectRef domain = LocatedDomain();
  ObjectRef users = Object(domain, u"Users");
  Put(users, u"sUserName", u"alice");
  EXPECT_EQ(dc_.journal().Of("NetUserGetInfo").back().Text("servername"),
            u"\\\\DC1");
  dc_.AddDomain(u"OTHER", u"DC9");
  Put(domain, u"sDomain", u"OTHER");
  Put(users, u"sUserName", u"alice");
  EXPECT_EQ(dc_.journal().Of("NetUserGetInfo").back().Text("servername"),
            u"\\\\DC9");
}

TEST_F(DomainTest, FactoryCreatesOnlyTheDomain) {
  EXPECT_NE(factory_.CreateObject(u"corvane.ntdomain"), nullptr);
  EXPECT_NE(factory_.CreateObject(u"{0d4f3052-b486-11cf-9c8e-000000000000}"),
            nullptr);
  for (const char16_t* child : {u"Corvane.NTGroup", u"Corvane.NTUser",
                                u"{0D4F3050-B486-11CF-9C8E-000000000000}",
                                u"{0D4F304D-B486-11CF-9C8E-000000000000}"}) {
    EXPECT_AUTOMATION_ERROR(factory_.CreateObject(child),
                            automation::CLASS_E_CLASSNOTAVAILABLE);
  }
  EXPECT_AUTOMATION_ERROR(factory_.CreateObject(u"Corvane.Nothing"),
                          automation::CO_E_CLASSSTRING);
  // Both created domains wrote start and end messages.
  EXPECT_EQ(events().size(), 4u);
}

}  // namespace
}  // namespace corvane::testing
