// The simulated controller's directory survives a save and load whole; a
// command reads the state file without touching it, and writes it only
// when it changed something.
#include "netapi/simulated/state_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <regex>
#include <thread>

#include "netapi/simulated/demo_domain.h"
#include "tests/cli/cli_fixture.h"

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
      {"nextRid", "1.5e3"}, {"priv", "4294967297"}, {"priv", "4294967295"},
      {"priv", "3"},        {"priv", "\"1\""},
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

  // What the controller cannot hold is refused, naming the entry.
  const std::pair<std::string, std::string> entries[][2] = {
      {{"\"name\": \"alice\"", "\"name\": \"al\\u0000ice\""},
       {"users[2] (\"al\\x00ice\"): a name holds a NUL", ""}},
      {{"\"name\": \"bob\"", "\"name\": \"ALICE\""},
       {"users[3] (\"ALICE\"): another account has the same name", ""}},
      {{"\"name\": \"Sales\"", "\"name\": \"Bob\""},
       {"groups[", "(\"Bob\"): another account has the same name"}},
      {{"\"priv\": 1,", "\"priv\": 1, \"priv\": 2,"},
       {"the key \"priv\" appears twice in one object", ""}},
      // Refused as too deep, never followed 60,000 levels down.
      {{"\"priv\": 1,",
        "\"priv\": " + std::string(60000, '[') + std::string(60000, ']') + ","},
       {"not a JSON document", ""}},
  };
  for (const auto& [change, message] : entries) {
    std::string bad = good;
    const auto at = bad.find(change.first);
    ASSERT_NE(at, std::string::npos) << change.first;
    bad.replace(at, change.first.size(), change.second);
    try {
      LoadState(bad);
      ADD_FAILURE() << change.second << " accepted";
    } catch (const StateFileError& error) {
      const std::string what = error.what();
      EXPECT_NE(what.find(message.first), std::string::npos) << what;
      EXPECT_NE(what.find(message.second), std::string::npos) << what;
    }
  }
}

}  // namespace
}  // namespace corvane::netapi::simulated

namespace corvane::cli_test {
namespace {

namespace fs = std::filesystem;

ino_t Inode(const std::string& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_ino;
}

TEST_F(CorvaneSession, ReadsLeaveTheStateFileAsItIs) {
  Ok({"group", "add", "Readers"});
  fs::remove(state_ + ".lock");
  const std::string before = ReadFile(state_);
  const ino_t inode = Inode(state_);
  Ok({"user", "show", "alice"});
  Ok({"group", "list"});
  Ok({"batch", "-"}, "user list\ngroup members Sales\n");
  EXPECT_FALSE(fs::exists(state_ + ".lock"));
  // invoke may change anything, so it takes turns, but saves only a change.
  Ok({"invoke", "Users.sUserName=bob", "Users.sComment"});
  EXPECT_EQ(Inode(state_), inode);
  EXPECT_EQ(ReadFile(state_), before);
  // A change is written, by a new file put in place.
  Ok({"invoke", "Users.sUserName=bob", "Users.sComment=x"});
  EXPECT_NE(Inode(state_), inode);
}

TEST_F(CorvaneSession, AnythingButAFileIsRefusedAsState) {
  const std::string fifo = dir_.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path :
       {fifo, std::string("/dev/zero"), dir_.path().string()}) {
    for (const char* command : {"list", "add"}) {
      std::vector<std::string> args = {"--simulate", path,    "--domain",
                                       "CORVANE",    "group", command};
      if (std::string(command) == "add") args.push_back("G");
      const Outcome outcome = RunCorvane(args);
      EXPECT_EQ(outcome.status, 1) << path;
      EXPECT_NE(outcome.err.find("is not a regular file"), std::string::npos)
          << outcome.err;
    }
  }
  EXPECT_FALSE(fs::exists(fifo + ".lock"));
  EXPECT_FALSE(fs::exists(dir_.path().string() + ".lock"));
}

TEST_F(CorvaneSession, ASignalDuringASaveLeavesNoNewFile) {
  Ok({"group", "list"});
  const std::string before = ReadFile(state_);
  ::setenv("CORVANE_TEST_PAUSE_BEFORE_REPLACING_STATE", "1", 1);
  RunningCommand saving(
      {"--simulate", state_, "--domain", "CORVANE", "group", "add", "Late"});
  ::unsetenv("CORVANE_TEST_PAUSE_BEFORE_REPLACING_STATE");
  const auto new_files = [&] {
    int found = 0;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      found += entry.path().filename().string().starts_with("state.json.new-");
    }
    return found;
  };
  for (int tries = 0; tries < 500 && new_files() == 0; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(new_files(), 1);
  ASSERT_TRUE(saving.WaitUntilAsleep());
  ASSERT_EQ(::kill(saving.pid(), SIGTERM), 0);
  EXPECT_EQ(saving.Finish("").status, -1);
  EXPECT_EQ(new_files(), 0);
  EXPECT_EQ(ReadFile(state_), before);
}

#ifdef CORVANE_WITH_SAMBA
// The Samba backend's client configuration, written into a private folder
// of the command's, goes when a signal ends the command at its password
// prompt.
TEST_F(CorvaneSession, ASignalLeavesNoPrivateSambaFolder) {
  const std::string temporary = dir_.File("tmp");
  fs::create_directory(temporary);
  ::setenv("TMPDIR", temporary.c_str(), 1);
  RunningCommand asking({"--server", "127.0.0.9", "--domain", "CORVANE", "-U",
                         "bob", "user", "list"});
  ::unsetenv("TMPDIR");
  const auto folders = [&] {
    return std::distance(fs::directory_iterator(temporary),
                         fs::directory_iterator());
  };
  ASSERT_TRUE(asking.WaitUntilAsleep());
  ASSERT_EQ(folders(), 1);
  ASSERT_EQ(::kill(asking.pid(), SIGTERM), 0);
  EXPECT_EQ(asking.Finish("").status, -1);
  EXPECT_EQ(folders(), 0);
}
#endif

}  // namespace
}  // namespace corvane::cli_test
