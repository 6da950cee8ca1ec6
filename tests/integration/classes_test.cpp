// The component's classes, late-bound through the dispatch layer as a
// client drives them, against the real controller.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "automation/dispatch.h"
#include "automation/string_array.h"
#include "automation/variant.h"
#include "common/event_log.h"
#include "domain/class_factory.h"
#include "tests/integration/accounts.h"

namespace corvane::integration {
namespace {

using automation::Boolean;
using automation::ObjectRef;
using automation::Variant;

// The byte text of a SID given as S-1-<authority>-<sub>...: revision, count
// of sub-authorities, the 48-bit authority big-endian, then each
// sub-authority little-endian, every byte in decimal.
std::string ByteText(const std::string& sid) {
  std::vector<std::uint64_t> parts;
  std::smatch number;
  for (std::string rest = sid.substr(2);
       std::regex_search(rest, number, std::regex("[0-9]+"));
       rest = number.suffix()) {
    parts.push_back(std::stoull(number.str()));
  }
  std::string text =
      std::to_string(parts.at(0)) + std::to_string(parts.size() - 2);
  for (int shift = 40; shift >= 0; shift -= 8) {
    text += std::to_string((parts.at(1) >> shift) & 0xFF);
  }
  for (std::size_t i = 2; i < parts.size(); ++i) {
    for (int shift = 0; shift < 32; shift += 8) {
      text += std::to_string((parts[i] >> shift) & 0xFF);
    }
  }
  return text;
}

class Classes : public ::testing::Test {
 protected:
  ObjectRef LocatedDomain() {
    ObjectRef domain = factory_.CreateObject(u"Corvane.NTDomain");
    automation::Put(*domain, u"sDomain", W(TheController().domain));
    EXPECT_EQ(Text(domain, u"sLastError"), u"SUCCESS");
    return domain;
  }
  static std::u16string Text(const ObjectRef& o, std::u16string_view name) {
    return automation::Get(*o, name).As<std::u16string>();
  }
  static ObjectRef Child(const ObjectRef& o, std::u16string_view name) {
    return automation::Get(*o, name).As<ObjectRef>();
  }
  static bool Succeeded(const ObjectRef& o, std::u16string_view method,
                        std::vector<Variant> args) {
    return automation::Call(*o, method, std::move(args)).As<Boolean>().value !=
           0;
  }
  static std::vector<std::u16string> Enumerate(const ObjectRef& o) {
    auto list = std::make_shared<automation::StringArray>();
    automation::Call(*o, u"Enumerate", {list});
    return list->elements();
  }
  static bool Listed(const std::vector<std::u16string>& list,
                     const std::u16string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  }

  common::MemoryEventSink events_;
  ClassFactory factory_{common::Environment{TheApi(), events_}};
};

TEST_F(Classes, DomainLocatesItsController) {
  ObjectRef domain = LocatedDomain();
  EXPECT_EQ(Text(domain, u"sDC"), u"\\\\" + W(TheController().name));
}

TEST_F(Classes, UserLifecycle) {
  ObjectRef users = Child(LocatedDomain(), u"Users");
  const std::u16string name = u"Jürgen" + W(UniqueName(""));
  ScopedUser cleanup(name);
  ASSERT_TRUE(
      Succeeded(users, u"Add",
                {name, W(kPassword), u"\\\\srv\\home", u"comment", u"logon.cmd",
                 u"Jürgen Ødegård 日本", std::int32_t{1}, Boolean{0}}))
      << Narrow(Text(users, u"sLastError").c_str());
  EXPECT_EQ(AddUser(name), netapi::NERR_UserExists);

  automation::Put(*users, u"sUserName", name);
  ASSERT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Text(users, u"sFullName"), u"Jürgen Ødegård 日本");
  for (auto [property, value] :
       {std::pair{u"sFullName", u"Ødegård 日本 \U0001D11E"},
        {u"sComment", u"new comment"},
        {u"sScriptPath", u"other.cmd"},
        {u"sHomeDir", u"\\\\srv\\h2"}}) {
    automation::Put(*users, property, std::u16string(value));
    EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS") << Narrow(property);
  }
  automation::Put(*users, u"sUserName", name);  // re-read from the controller
  EXPECT_EQ(Text(users, u"sFullName"), u"Ødegård 日本 \U0001D11E");
  EXPECT_EQ(Text(users, u"sComment"), u"new comment");
  EXPECT_EQ(Text(users, u"sScriptPath"), u"other.cmd");
  EXPECT_EQ(Text(users, u"sHomeDir"), u"\\\\srv\\h2");

  automation::Put(*users, u"bDisabled", Boolean{-1});
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_FALSE(LogonSucceeds(Narrow(name.c_str()), kPassword));
  automation::Put(*users, u"bDisabled", Boolean{0});
  EXPECT_TRUE(LogonSucceeds(Narrow(name.c_str()), kPassword));

  automation::Put(*users, u"sPassword", std::u16string(u"Changed-Pa55word!"));
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_TRUE(LogonSucceeds(Narrow(name.c_str()), "Changed-Pa55word!"));
  automation::Call(*users, u"UnlockAccount", {});
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");

  // The SID text is the SID's bytes in decimal, run together.
  const std::u16string sid = Text(users, u"sSID");
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(Narrow(sid.c_str()),
            ByteText(ReportedSid("user", Narrow(name.c_str()))));
  EXPECT_EQ(Text(users, u"sSID"), sid);

  EXPECT_TRUE(Listed(Enumerate(users), name));
  EXPECT_TRUE(Succeeded(users, u"Delete", {}));
  EXPECT_FALSE(Listed(Enumerate(users), name));
  automation::Put(*users, u"sUserName", name);
  EXPECT_NE(Text(users, u"sLastError"), u"SUCCESS");
}

TEST_F(Classes, UnlockAccountClearsARealLockOut) {
  constexpr int kThreshold = 3;
  struct Threshold {
    Threshold() { SetLockoutThreshold(kThreshold); }
    ~Threshold() { SetLockoutThreshold(0); }
  } threshold;
  ObjectRef users = Child(LocatedDomain(), u"Users");
  const std::u16string name = W(UniqueName("cvunl"));
  ScopedUser cleanup(name);
  ASSERT_EQ(AddUser(name), netapi::NERR_Success);
  for (int i = 0; i <= kThreshold; ++i) {
    EXPECT_FALSE(LogonSucceeds(Narrow(name.c_str()), "Wrong-Pa55word!"));
  }
  automation::Put(*users, u"sUserName", name);
  EXPECT_NE(automation::Get(*users, u"bLockedOut").As<Boolean>().value, 0);
  EXPECT_FALSE(LogonSucceeds(Narrow(name.c_str()), kPassword));

  automation::Call(*users, u"UnlockAccount", {});
  EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
  EXPECT_EQ(automation::Get(*users, u"bLockedOut").As<Boolean>().value, 0);
  EXPECT_EQ(automation::Get(*users, u"bDisabled").As<Boolean>().value, 0);
  EXPECT_TRUE(LogonSucceeds(Narrow(name.c_str()), kPassword));
  automation::Put(*users, u"sUserName", name);  // as the controller holds it
  EXPECT_EQ(automation::Get(*users, u"bLockedOut").As<Boolean>().value, 0);
}

TEST_F(Classes, GroupsAndMembership) {
  ObjectRef domain = LocatedDomain();
  ObjectRef groups = Child(domain, u"Groups");
  const std::u16string group = W(UniqueName("cvcg"));
  ScopedUser member(W(UniqueName("cvcm")));
  ASSERT_EQ(AddUser(member.name()), netapi::NERR_Success);

  ASSERT_TRUE(Succeeded(groups, u"Add", {group, std::u16string(u"Gruppe")}));
  EXPECT_FALSE(Succeeded(groups, u"Add", {group, std::u16string(u"again")}));
  EXPECT_NE(Text(groups, u"sLastError").find(u"2223"), std::u16string::npos);
  EXPECT_TRUE(Listed(Enumerate(groups), group));

  automation::Put(*groups, u"sGroupName", group);
  EXPECT_EQ(Text(groups, u"sComment"), u"Gruppe");
  automation::Put(*groups, u"sComment", std::u16string(u"Kommentar 日本"));
  EXPECT_EQ(Text(groups, u"sLastError"), u"SUCCESS");

  ObjectRef members = Child(groups, u"Users");
  EXPECT_EQ(Enumerate(members), (std::vector<std::u16string>{u"", u"None"}));
  ASSERT_TRUE(Succeeded(members, u"Add", {member.name()}));
  EXPECT_EQ(Enumerate(members),
            (std::vector<std::u16string>{u"", member.name()}));
  automation::Put(*members, u"sUserName", member.name());
  EXPECT_TRUE(Succeeded(members, u"Delete", {}));
  EXPECT_EQ(Enumerate(members), (std::vector<std::u16string>{u"", u"None"}));

  EXPECT_TRUE(Succeeded(groups, u"Delete", {group}));
  EXPECT_FALSE(Listed(Enumerate(groups), group));
  automation::Put(*groups, u"sGroupName", group);
  EXPECT_NE(Text(groups, u"sLastError").find(u"2220"), std::u16string::npos);
}

}  // namespace
}  // namespace corvane::integration
