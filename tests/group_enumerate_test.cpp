// Listing the domain's global groups into the caller's array: element 0
// empty, names from 1, "None" when there are none; batches of 255 bytes
// with resume handles; sLastError never set to "SUCCESS".
#include "tests/fixture.h"

namespace corvane::testing {
namespace {

using Names = std::vector<std::u16string>;

class GroupEnumerateTest : public ClientTest {
 protected:
  ObjectRef Groups() { return Object(LocatedDomain(), u"Groups"); }
  void AddGroups(int count) {
    for (int i = 0; i < count; ++i) {
      directory().AddGroup(
          {automation::Widen("group-" + std::to_string(i)), u"", {}, {}});
    }
  }
  Names ControllerOrder() {
    Names names{u""};
    for (const auto& group : directory().groups()) names.push_back(group.name);
    return names;
  }
};

TEST_F(GroupEnumerateTest, ListsInTheControllersOrderAcrossBatches) {
  ObjectRef groups = Groups();
  EXPECT_EQ(Enumerate(groups),
            (Names{u"", u"Domain Admins", u"Domain Users", u"Sales"}));
  AddGroups(50);
  dc_.journal().Clear();
  EXPECT_EQ(Enumerate(groups), ControllerOrder());
  const auto batches = dc_.journal().Of("NetGroupEnum");
  ASSERT_GT(batches.size(), 5u);
  std::uint64_t previous_resume = 0;
  for (size_t i = 0; i < batches.size(); ++i) {
    EXPECT_EQ(batches[i].Text("servername"), u"\\\\DC1");
    EXPECT_EQ(batches[i].Number("level"), 0u);
    EXPECT_EQ(batches[i].Number("prefmaxlen"), 255u);
    if (i > 0) {
      EXPECT_GT(batches[i].Number("resume_handle"), previous_resume);
    }
    previous_resume = batches[i].Number("resume_handle");
  }
  EXPECT_TRUE(events().size() == 1) << "enumerations are never logged";
}

TEST_F(GroupEnumerateTest, NoGroupsGivesNone) {
  ObjectRef groups = Groups();
  for (const auto* name : {u"Domain Admins", u"Domain Users", u"Sales"}) {
    directory().DeleteGroup(name);
  }
  EXPECT_EQ(Enumerate(groups), (Names{u"", u"None"}));
}

TEST_F(GroupEnumerateTest, NeverWritesSuccess) {
  ObjectRef groups = Groups();
  EXPECT_FALSE(CallBool(groups, u"Add", {u"Sales", u""}));
  const std::u16string add_error = Text(groups, u"sLastError");
  Enumerate(groups);
  EXPECT_EQ(Text(groups, u"sLastError"), add_error);
}

TEST_F(GroupEnumerateTest, AFailedBatchKeepsTheEarlierNames) {
  ObjectRef groups = Groups();
  AddGroups(30);
  dc_.FailCall("NetGroupEnum", 2, netapi::ERROR_ACCESS_DENIED);
  const Names names = Enumerate(groups);
  const Names all = ControllerOrder();
  ASSERT_GT(names.size(), 2u);
  ASSERT_LT(names.size(), all.size());
  EXPECT_EQ(names, Names(all.begin(), all.begin() + names.size()));
  EXPECT_EQ(U8(Text(groups, u"sLastError")),
            "ERROR 5 enumerating group 0 of 0");

  dc_.FailCall("NetGroupEnum", 1, netapi::ERROR_BAD_NETPATH);
  EXPECT_EQ(Enumerate(groups), (Names{u"", u"None"}));
}

TEST_F(GroupEnumerateTest, WithoutAControllerNothingIsTouched) {
  ObjectRef domain = NewDomain();
  ObjectRef groups = Object(domain, u"Groups");
  auto list = std::make_shared<automation::StringArray>(
      automation::StringArray::FixedSize(3, 4));
  list->Set(3, u"mine");
  Call(groups, u"Enumerate", {list});
  EXPECT_EQ(list->LowerBound(), 3);
  EXPECT_EQ(list->at(3), u"mine");
  EXPECT_EQ(Text(groups, u"sLastError"), u"");
  EXPECT_EQ(dc_.journal().Count("NetGroupEnum"), 0u);
}

TEST_F(GroupEnumerateTest, AFixedOrLockedArrayFailsBeforeAnythingChanges) {
  ObjectRef groups = Groups();
  auto fixed = std::make_shared<automation::StringArray>(
      automation::StringArray::FixedSize(0, 2));
  fixed->Set(2, u"mine");
  EXPECT_AUTOMATION_ERROR(Call(groups, u"Enumerate", {fixed}),
                          automation::E_INVALIDARG);
  EXPECT_EQ(fixed->at(2), u"mine");
  auto locked = std::make_shared<automation::StringArray>();
  locked->Lock();
  EXPECT_AUTOMATION_ERROR(Call(groups, u"Enumerate", {locked}),
                          automation::DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(locked->size(), 0u);
  EXPECT_EQ(dc_.journal().Count("NetGroupEnum"), 0u);
  EXPECT_EQ(Text(groups, u"sLastError"), u"");
}

// Groups are not held to a 16-bit count: a larger domain is listed whole.
TEST_F(GroupEnumerateTest, MoreThan32767GroupsAreAllListed) {
  ObjectRef groups = Groups();
  AddGroups(33000);
  const Names names = Enumerate(groups);
  EXPECT_EQ(names.size(), 33004u);
  EXPECT_EQ(names.back(), u"group-32999");
}

// A platform that misreports its counts must not make the listing loop;
// one that fails leaving the counts alone has them reported as they stand.
class MisreportingController : public netapi::simulated::SimulatedController {
 public:
  enum class Fault {
    kCompleteWithUnequalCounts,
    kMoreDataWithNothing,
    kMoreDataWithEqualCounts,
    kFailureLeavingTheCounts,
  };
  Fault fault = Fault::kCompleteWithUnequalCounts;
  int calls = 0;

  netapi::NET_API_STATUS NetGroupEnum(
      netapi::LPCWSTR server, netapi::DWORD level, netapi::LPBYTE* buffer,
      netapi::DWORD prefmaxlen, netapi::LPDWORD read, netapi::LPDWORD total,
      netapi::PDWORD_PTR resume) override {
    if (++calls > 1 && fault == Fault::kFailureLeavingTheCounts) {
      return netapi::ERROR_ACCESS_DENIED;
    }
    const auto status = SimulatedController::NetGroupEnum(
        server, level, buffer, prefmaxlen, read, total, resume);
    switch (fault) {
      case Fault::kCompleteWithUnequalCounts:
        *total = *read + 10;
        return netapi::NERR_Success;
      case Fault::kMoreDataWithEqualCounts:
        return calls == 1 ? netapi::ERROR_MORE_DATA : status;
      case Fault::kFailureLeavingTheCounts:
        *total = *read + 10;
        return netapi::ERROR_MORE_DATA;
      case Fault::kMoreDataWithNothing:
        break;
    }
    NetApiBufferFree(*buffer);
    netapi::LPBYTE empty = nullptr;
    SimulatedController::NetApiBufferAllocate(1,
                                              reinterpret_cast<void**>(&empty));
    *buffer = empty;
    *read = 0;
    return netapi::ERROR_MORE_DATA;
  }
};

TEST(GroupEnumerateMisreporting,
     EndsOnCompleteOrEqualCountsOrMoreDataWithNothing) {
  using Fault = MisreportingController::Fault;
  const struct {
    Fault fault;
    int calls;
    Names names;
    std::string error;
  } cases[] = {
      {Fault::kCompleteWithUnequalCounts, 1,
       Names{u"", u"Domain Admins", u"Domain Users", u"Sales"}, ""},
      {Fault::kMoreDataWithEqualCounts, 1,
       Names{u"", u"Domain Admins", u"Domain Users", u"Sales"}, ""},
      {Fault::kMoreDataWithNothing, 1, Names{u"", u"None"},
       "ERROR 234 enumerating group 0 of 3"},
      {Fault::kFailureLeavingTheCounts, 2,
       Names{u"", u"Domain Admins", u"Domain Users", u"Sales"},
       "ERROR 5 enumerating group 3 of 13"},
  };
  MisreportingController dc;
  netapi::simulated::SeedDemoDomain(dc);
  common::MemoryEventSink events;
  ClassFactory factory({dc, events});
  for (const auto& row : cases) {
    dc.fault = row.fault;
    dc.calls = 0;
    ObjectRef domain = factory.CreateObject(u"Corvane.NTDomain");
    automation::Put(*domain, u"sDomain", u"CORVANE");
    ObjectRef groups = automation::Get(*domain, u"Groups").As<ObjectRef>();
    auto list = std::make_shared<automation::StringArray>();
    automation::Call(*groups, u"Enumerate", {list});
    EXPECT_EQ(dc.calls, row.calls) << row.error;
    EXPECT_EQ(list->elements(), row.names) << row.error;
    EXPECT_EQ(U8(automation::Get(*groups, u"sLastError").As<std::u16string>()),
              row.error);
  }
  EXPECT_EQ(dc.ledger().outstanding(), 0u);
}

}  // namespace
}  // namespace corvane::testing
