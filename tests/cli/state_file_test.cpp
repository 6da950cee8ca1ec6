// The simulated controller's directory survives a save and load whole.
#include "netapi/simulated/state_file.h"

#include <gtest/gtest.h>

#include <regex>

#include "netapi/simulated/demo_domain.h"

namespace corvane::netapi::simulated {
namespace {

Directory& Demo(SimulatedNetwork& network) {
  return *network.controller->FindServer(kDemoController);
}

TEST(StateFile, KeepsEveryFieldOfAccountsAndGroups) {
  SimulatedNetwork network = NewDemoNetwork();
  Account erin;
  erin.name = u"erin";
  erin.password = u"Pässwörd";
  erin.priv = USER_PRIV_ADMIN;
  erin.home_dir = u"\\\\FS1\\erin";
  erin.comment = u"Ops";
  erin.flags = UF_SCRIPT | UF_NORMAL_ACCOUNT | UF_ACCOUNTDISABLE | UF_LOCKOUT;
  erin.script_path = u"e.cmd";
  erin.full_name = u"Erin Ö";
  Demo(network).AddUser(erin);
  Demo(network).FindGroup(u"Sales")->members.push_back(u"erin");
  network.controller->local_computer().AddGroup(Group{u"Local", u"l", {}, {}});

  SimulatedNetwork loaded = LoadState(SaveState(network));
  ASSERT_EQ(loaded.domain_servers, network.domain_servers);
  const Directory& before = Demo(network);
  const Directory& after = Demo(loaded);
  EXPECT_EQ(after.domain(), before.domain());
  ASSERT_EQ(after.users().size(), before.users().size());
  for (std::size_t i = 0; i < before.users().size(); ++i) {
    const Account& a = before.users()[i];
    const Account& b = after.users()[i];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.password, a.password);
    EXPECT_EQ(b.priv, a.priv);
    EXPECT_EQ(b.home_dir, a.home_dir);
    EXPECT_EQ(b.comment, a.comment);
    EXPECT_EQ(b.flags, a.flags);
    EXPECT_EQ(b.script_path, a.script_path);
    EXPECT_EQ(b.full_name, a.full_name);
    EXPECT_EQ(b.sid, a.sid);
  }
  ASSERT_EQ(after.groups().size(), before.groups().size());
  for (std::size_t i = 0; i < before.groups().size(); ++i) {
    EXPECT_EQ(after.groups()[i].name, before.groups()[i].name);
    EXPECT_EQ(after.groups()[i].comment, before.groups()[i].comment);
    EXPECT_EQ(after.groups()[i].members, before.groups()[i].members);
    EXPECT_EQ(after.groups()[i].sid, before.groups()[i].sid);
  }
  ASSERT_EQ(loaded.controller->local_computer().groups().size(), 1u);
  EXPECT_EQ(loaded.controller->local_computer().groups()[0].sid,
            network.controller->local_computer().groups()[0].sid);
}

Account Named(std::u16string name) {
  Account account;
  account.name = std::move(name);
  return account;
}

TEST(StateFile, NewAccountsAfterLoadGetUnusedSids) {
  SimulatedNetwork network = NewDemoNetwork();
  Demo(network).AddUser(Named(u"first"));
  Demo(network).DeleteUser(u"first");  // its id is not to be handed out again
  SimulatedNetwork loaded = LoadState(SaveState(network));
  const Sid fresh = Demo(loaded).AddUser(Named(u"second")).sid;
  for (const Account& account : Demo(loaded).users()) {
    if (account.name != u"second") {
      EXPECT_NE(account.sid, fresh);
    }
  }
  for (const Group& group : Demo(loaded).groups()) {
    EXPECT_NE(group.sid, fresh);
  }
  // The id of the deleted account is not reused either.
  SimulatedNetwork reference = NewDemoNetwork();
  const Sid reused = Demo(reference).AddUser(Named(u"x")).sid;
  EXPECT_NE(fresh, reused);
}

TEST(StateFile, RefusesDocumentsItCannotHold) {
  SimulatedNetwork network = NewDemoNetwork();
  const std::string good = SaveState(network);
  EXPECT_THROW(LoadState("not json"), StateFileError);
  EXPECT_THROW(LoadState("{}"), StateFileError);
  std::string bad_sid = good;
  bad_sid.replace(bad_sid.find("\"S-1-5-21-333"), 13, "\"S-9-x-21-333");
  EXPECT_THROW(LoadState(bad_sid), StateFileError);
  // Numbers are whole and in range, or the document is refused.
  const std::pair<std::string, std::string> numbers[] = {
      {"flags", "-1"},      {"flags", "1e81"},      {"version", "1e81"},
      {"version", "1.7"},   {"version", "-1"},      {"version", "2"},
      {"nextRid", "1.5e3"}, {"priv", "4294967297"},
  };
  for (const auto& [field, value] : numbers) {
    const std::string bad = std::regex_replace(
        good, std::regex("\"" + field + "\": [0-9]+"),
        "\"" + field + "\": " + value, std::regex_constants::format_first_only);
    ASSERT_NE(bad, good);
    try {
      LoadState(bad);
      ADD_FAILURE() << field << " " << value << " accepted";
    } catch (const StateFileError& error) {
      EXPECT_NE(std::string(error.what()).find(field), std::string::npos)
          << error.what();
    }
  }
}

}  // namespace
}  // namespace corvane::netapi::simulated
