// The task commands against the simulated controller: what they print,
// their exit statuses and JSON, and that successive commands see each
// other's changes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "tests/cli/cli_fixture.h"

namespace corvane::cli_test {
namespace {

using nlohmann::json;

// Seconds since 1970 of an ISO 8601 UTC time.
std::int64_t Seconds(const json& iso) {
  std::tm parts{};
  const std::string text = iso.is_string() ? iso.get<std::string>() : "";
  if (::strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &parts) == nullptr) {
    ADD_FAILURE() << "not an ISO time: " << iso;
    return 0;
  }
  return ::timegm(&parts);
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos;
       at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST_F(CorvaneSession, DcCommandShowsTheControllerOrTheLookupError) {
  const Outcome found = RunCorvane({"--simulate", state_, "dc", "corvane"});
  EXPECT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, "\\\\DC1\n");

  const Outcome missing = RunCorvane({"--simulate", state_, "dc", "NOWHERE"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find(
                "ERROR - Unable to locate domain controller (error #2453)"),
            std::string::npos)
      << missing.err;

  const Outcome json_out =
      RunCorvane({"--simulate", state_, "--json", "dc", "CORVANE"});
  EXPECT_EQ(json::parse(json_out.out)["dc"], "\\\\DC1");
}

TEST_F(CorvaneSession, ListsPipeOneNameALineWithoutMachineAccounts) {
  EXPECT_EQ(Ok({"user", "list"}), "Administrator\nGuest\nalice\nbob\ncarol\n");
  EXPECT_EQ(Ok({"group", "list"}), "Domain Admins\nDomain Users\nSales\n");
  EXPECT_EQ(Ok({"group", "members", "Sales"}), "bob\ncarol\n");
  EXPECT_EQ(Json({"user", "list"})["users"],
            json({"Administrator", "Guest", "alice", "bob", "carol"}));
}

// The call trace (-d) shares the output stream, so the order shows when
// each batch was fetched.
TEST_F(CorvaneSession, UserListShowsAHugeDomainWholeBatchByBatch) {
  setenv("CORVANE_SIMULATED_USERS", "100000", 1);
  RunningCommand listing(
      {"--simulate", state_, "--domain", "CORVANE", "-d", "1", "user", "list"},
      {"sh", "-c", "exec \"$@\" 2>&1", "sh"});
  const Outcome listed = listing.Finish("");
  unsetenv("CORVANE_SIMULATED_USERS");
  ASSERT_EQ(listed.status, 0) << listed.out.substr(0, 2000);
  std::vector<std::string> names;
  std::size_t batches = 0, first_name_at_batch = 0;
  std::istringstream lines(listed.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("netapi: ")) {
      batches += line.starts_with("netapi: NetUserEnum ");
    } else {
      if (names.empty()) first_name_at_batch = batches;
      names.push_back(line);
    }
  }
  ASSERT_EQ(names.size(), 100000u);
  EXPECT_EQ(names.front(), "Administrator");
  EXPECT_EQ(names.back(), "user99995");
  EXPECT_GT(batches, 10u);
  EXPECT_EQ(first_name_at_batch, 1u);
}

TEST_F(CorvaneSession, UserLifecycleAcrossSuccessiveCommands) {
  Ok({"user", "add", "dave", "--full-name", "Dave Doe", "--comment", "Ops",
      "--home-dir", "\\\\FS1\\home\\dave", "--script", "logon.cmd",
      "--disabled"},
     "D_ave-Pass-1\n");
  json shown = Json({"user", "show", "dave"});
  EXPECT_EQ(shown["name"], "dave");
  EXPECT_EQ(shown["fullName"], "Dave Doe");
  EXPECT_EQ(shown["comment"], "Ops");
  EXPECT_EQ(shown["homeDir"], "\\\\FS1\\home\\dave");
  EXPECT_EQ(shown["scriptPath"], "logon.cmd");
  EXPECT_EQ(shown["privilege"], "user");
  EXPECT_EQ(shown["disabled"], true);
  EXPECT_EQ(shown["lockedOut"], false);
  EXPECT_EQ(shown["lastError"], "SUCCESS");

  Ok({"user", "set", "dave", "--full-name", "David Doe", "--comment", ""});
  Ok({"user", "enable", "dave"});
  shown = Json({"user", "show", "dave"});
  EXPECT_EQ(shown["fullName"], "David Doe");
  EXPECT_EQ(shown["comment"], "");
  EXPECT_EQ(shown["homeDir"], "\\\\FS1\\home\\dave");
  EXPECT_EQ(shown["disabled"], false);
  Ok({"user", "disable", "dave"});
  EXPECT_EQ(Json({"user", "show", "dave"})["disabled"], true);
  Ok({"user", "unlock", "dave"});
  Ok({"user", "password", "dave"}, "D_ave-Pass-2\n");

  EXPECT_NE(Ok({"user", "list"}).find("\ndave\n"), std::string::npos);
  Ok({"user", "delete", "dave"});
  const Outcome gone = Corvane({"user", "show", "dave"});
  EXPECT_EQ(gone.status, 1);
  EXPECT_NE(gone.err.find("(error #2221)"), std::string::npos) << gone.err;
  EXPECT_EQ(Corvane({"user", "delete", "dave"}).status, 1);
}

TEST_F(CorvaneSession, MustChangeExpiryRenameAndRandomPasswords) {
  // A random password goes to a new mode 600 file only, never to the
  // JSON document or the audit copy; refused where it would be shown to
  // no terminal, before anything is made.
  const Outcome piped = Corvane({"user", "add", "erin", "--random-password"});
  EXPECT_EQ(piped.status, 2);
  EXPECT_NE(piped.err.find("--write-password FILE"), std::string::npos);
  EXPECT_NE(Corvane({"user", "show", "erin"}).status, 0);
  const std::string file = dir_.File("erin.txt");
  const std::string audit = dir_.File("audit.log");
  const json added =
      Json({"--audit", audit, "--log-level", "full", "user", "add", "erin",
            "--random-password", "--write-password", file,
            "--must-change-at-next-login", "--expires", "2031-01-31"});
  EXPECT_EQ(added["passwordWrittenTo"], file);
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const std::string line = ReadFile(file);
  ASSERT_EQ(line.rfind("erin,", 0), 0u) << line;
  const std::string password = line.substr(5, 16);
  EXPECT_EQ(line.size(), 22u);
  EXPECT_EQ(added.dump().find(password), std::string::npos);
  EXPECT_EQ(ReadFile(audit).find(password), std::string::npos);
  // The lifecycle changes the classes do not make are told as theirs are.
  EXPECT_NE(ReadFile(audit).find("Changed account expiry for user erin to "
                                 "2031-0"),
            std::string::npos)
      << ReadFile(audit);
  EXPECT_NE(ReadFile(audit).find(
                "Changed must change password for user erin to True"),
            std::string::npos);
  // The file is new: a second run refuses it and makes nothing.
  EXPECT_EQ(Corvane({"user", "add", "fay", "--random-password",
                     "--write-password", file})
                .status,
            2);
  EXPECT_NE(Corvane({"user", "show", "fay"}).status, 0);
  // An account that cannot be made leaves no empty file behind.
  const std::string other = dir_.File("bob.txt");
  EXPECT_EQ(Corvane({"user", "add", "bob", "--random-password",
                     "--write-password", other})
                .status,
            1);
  EXPECT_FALSE(std::filesystem::exists(other));

  json shown = Json({"user", "show", "erin"});
  EXPECT_EQ(shown["mustChangePassword"], true);
  EXPECT_EQ(Seconds(shown["accountExpires"]) / 86400,
            (Seconds(json("2031-02-01T00:00:00Z")) - 86400) / 86400 + 1)
      << shown["accountExpires"];
  const std::string sid = Json({"user", "sid", "erin", "--format=sddl"})["sid"];
  EXPECT_EQ(sid.rfind("S-1-5-21-", 0), 0u) << sid;

  // Renamed: same SID, same groups; the old name is gone.
  Ok({"group", "add-member", "Sales", "erin"});
  Ok({"user", "rename", "erin", "erin.eck"});
  EXPECT_EQ(Ok({"user", "sid", "--format", "sddl", "erin.eck"}), sid + "\n");
  EXPECT_NE(Corvane({"user", "show", "erin"}).status, 0);
  EXPECT_NE(Ok({"group", "members", "Sales"}).find("erin.eck\n"),
            std::string::npos);
  const Outcome taken = Corvane({"user", "rename", "erin.eck", "bob"});
  EXPECT_EQ(taken.status, 1);
  EXPECT_NE(taken.err.find("NERR_UserExists"), std::string::npos) << taken.err;
  Ok({"group", "rename", "Sales", "Marketing"});
  EXPECT_NE(Ok({"user", "groups", "erin.eck"}).find("Marketing\n"),
            std::string::npos);

  Ok({"user", "set", "erin.eck", "--no-must-change-at-next-login",
      "--no-expiry"});
  shown = Json({"user", "show", "erin.eck"});
  EXPECT_EQ(shown["mustChangePassword"], false);
  EXPECT_TRUE(shown["accountExpires"].is_null());
  Ok({"user", "password", "erin.eck", "--must-change-at-next-login"},
     "E_rin-Pass-2\n");
  EXPECT_EQ(Json({"user", "show", "erin.eck"})["mustChangePassword"], true);
  EXPECT_EQ(
      Corvane({"user", "set", "erin.eck", "--expires", "2031-02-30"}).status,
      2);
  EXPECT_EQ(
      Corvane({"user", "set", "erin.eck", "--days", "3", "--no-expiry"}).status,
      2);
}

// A new simulated domain has the password policy Samba gives a new domain,
// kept in the state file and enforced with the controller's status.
TEST_F(CorvaneSession, ANewDomainHasSambasPasswordPolicy) {
  for (const char* weak : {"", "Ab-1x", "alllowercase", "Xlee-lee-9"}) {
    const Outcome refused =
        Corvane({"user", "add", "lee"}, std::string(weak) + "\n");
    EXPECT_EQ(refused.status, 1) << weak;
    EXPECT_NE(refused.err.find("2245 NERR_PasswordTooShort"), std::string::npos)
        << refused.err;
  }
  Ok({"user", "add", "lee"}, "Good-Pw-1\n");
  EXPECT_EQ(Corvane({"user", "password", "lee"}, "Good-Pw-1\n").status, 1);
  Ok({"user", "password", "lee"}, "Good-Pw-2\n");
  EXPECT_EQ(Corvane({"user", "password", "lee"}, "Good-Pw-1\n").status, 1);
  const json state = json::parse(ReadFile(state_));
  EXPECT_EQ(
      state["domains"][0]["passwordPolicy"],
      json({{"minLength", 7}, {"complexity", true}, {"historyLength", 24}}));
  const json shown = Json({"dc", "CORVANE", "--policy"});
  EXPECT_EQ(shown["minPasswordLength"], 7);
  EXPECT_EQ(shown["passwordHistoryLength"], 24);
}

TEST_F(CorvaneSession, FilteredListingsReadTheBatchesOnly) {
  Ok({"user", "disable", "bob"});
  Ok({"user", "set", "carol", "--must-change-at-next-login"});
  const Outcome disabled = Corvane({"-d", "1", "user", "list", "--disabled"});
  EXPECT_EQ(disabled.out, "Guest\nbob\n");
  // One listing call, at the level with the facts; no call per account.
  EXPECT_EQ(Count(disabled.err, "netapi: NetUserEnum "), 1u) << disabled.err;
  EXPECT_NE(disabled.err.find("level=3"), std::string::npos);
  EXPECT_EQ(Count(disabled.err, "NetUserGetInfo"), 0u) << disabled.err;
  EXPECT_EQ(Ok({"user", "list", "--expired"}), "carol\n");
  EXPECT_EQ(Ok({"user", "list", "--expired", "--disabled"}), "");
  EXPECT_EQ(Ok({"user", "list", "--never-logged-on", "--disabled"}),
            "Guest\nbob\n");
  const std::string csv = Ok({"user", "list", "--csv", "--disabled"});
  EXPECT_EQ(csv.substr(0, csv.find('\n')),
            "name,full name,disabled,locked out,password expired,must "
            "change,account expires,last logon,password last set");
  EXPECT_NE(csv.find("\nbob,Bob Baker,yes,no,no,no,never,never,"),
            std::string::npos)
      << csv;
  const json long_form = Json({"user", "list", "--long", "--expired"});
  ASSERT_EQ(long_form["users"].size(), 1u);
  EXPECT_EQ(long_form["users"][0]["name"], "carol");
  EXPECT_EQ(long_form["users"][0]["mustChangePassword"], true);
  EXPECT_EQ(Json({"user", "list", "--locked"})["users"], json::array());
  EXPECT_EQ(Corvane({"--json", "user", "list", "--csv"}).status, 2);

  // Every controller's logons: the simulated controller is the one.
  json state = json::parse(ReadFile(state_));
  for (json& user : state["domains"][0]["users"]) {
    if (user["name"] == "alice") user["lastLogon"] = 1700000000;
  }
  std::ofstream(state_) << state.dump();
  const std::string last = Ok({"user", "list", "--last-logon", "--csv"});
  EXPECT_EQ(last.substr(0, last.find('\n')), "name,last logon,controller");
  EXPECT_NE(last.find("\nalice,2023-11-14T22:13:20Z,DC1\n"), std::string::npos)
      << last;
  EXPECT_NE(last.find("\nbob,never,\n"), std::string::npos);
  const json shown = Json({"user", "show", "alice", "--all-dcs"});
  EXPECT_EQ(shown["lastLogonController"], "DC1");
  EXPECT_EQ(shown["controllers"][0]["lastLogon"], "2023-11-14T22:13:20Z");
  EXPECT_EQ(Corvane({"user", "list", "--last-logon", "--disabled"}).status, 2);
}

TEST_F(CorvaneSession, TextOutputOfShow) {
  EXPECT_EQ(Ok({"user", "show", "alice"}),
            "name:                 alice\n"
            "full name:            Alice Archer\n"
            "comment:              Accounts\n"
            "home dir:             \\\\FS1\\home\\alice\n"
            "script:               logon.cmd\n"
            "privilege:            user\n"
            "disabled:             no\n"
            "locked out:           no\n"
            "last logon:           never\n"
            "password last set:    never\n"
            "password expires:     never\n"
            "account expires:      never\n"
            "must change password: no\n"
            "bad password count:   0\n"
            "primary group:        Domain Users\n"
            "sid:                  S-1-5-21-333-444-1001-1100\n");
  EXPECT_EQ(Ok({"group", "show", "Sales"}),
            "name:    Sales\n"
            "comment: Sales team\n");
}

// The facts the controller keeps about an account, as a state file holds
// them; times are local in text and ISO 8601 in JSON.
TEST_F(CorvaneSession, AccountFactsAndGroupsWithThePrimaryMarked) {
  Ok({"user", "add", "dave"}, "D_ave-Pass-1\n");
  json state = json::parse(ReadFile(state_));
  for (json& user : state["domains"][0]["users"]) {
    if (user["name"] == "carol") {
      user["lastLogon"] = 1700000000;
      user["accountExpires"] = 1800000000;
      user["badPasswordCount"] = 3;
      user["passwordExpired"] = true;
      user["flags"] = user["flags"].get<int>() | 0x10000;
      user["primaryGroupId"] = 1105;  // Sales
    }
  }
  std::ofstream(state_) << state.dump();
  // A change by another command keeps the facts.
  Ok({"user", "set", "carol", "--comment", "kept"});

  const Outcome traced =
      Corvane({"-d", "1", "--json", "user", "show", "carol"});
  ASSERT_EQ(traced.status, 0) << traced.err;
  const json carol = json::parse(traced.out);
  EXPECT_EQ(carol["lastLogon"], "2023-11-14T22:13:20Z");
  EXPECT_EQ(carol["passwordLastSet"], nullptr);
  // A password to be changed at the next logon has expired already.
  EXPECT_NE(carol["passwordExpires"], nullptr);
  EXPECT_EQ(carol["accountExpires"], "2027-01-15T08:00:00Z");
  EXPECT_EQ(carol["mustChangePassword"], true);
  EXPECT_EQ(carol["badPasswordCount"], 3);
  EXPECT_EQ(carol["primaryGroup"], "Sales");
  EXPECT_EQ(carol["primaryGroupId"], 1105);
  EXPECT_EQ(carol["sid"], "S-1-5-21-333-444-1001-1102");
  // One information call gives every fact, and one look-up the primary
  // group's name.
  EXPECT_EQ(Count(traced.err, "NetUserGetInfo"), 1) << traced.err;
  EXPECT_EQ(Count(traced.err, "NetUserGetInfo server=\"\\\\DC1\" level=4"), 1);
  EXPECT_EQ(Count(traced.err, "LookupAccountSid server="), 1);
  EXPECT_EQ(Count(traced.err, "NetUserGetGroups server="), 0);

  char local[64];
  const std::time_t logon = 1700000000;
  std::tm parts{};
  std::strftime(local, sizeof local, "%Y-%m-%d %H:%M:%S %Z",
                localtime_r(&logon, &parts));
  EXPECT_NE(Ok({"user", "show", "carol"})
                .find(std::string("last logon:           ") + local + "\n"),
            std::string::npos);

  // The password change sets the time and ends the must-change state.
  Ok({"user", "password", "carol"}, "C_arol-Pass-2\n");
  const json changed = Json({"user", "show", "carol"});
  EXPECT_EQ(changed["mustChangePassword"], false);
  EXPECT_EQ(changed["passwordExpires"], nullptr);  // never, by its flag
  // Otherwise the domain's maximum age (42 days) after the last change.
  const json dave = Json({"user", "show", "dave"});
  EXPECT_EQ(Seconds(dave["passwordExpires"]) - Seconds(dave["passwordLastSet"]),
            42 * 24 * 3600);
  EXPECT_TRUE(std::regex_match(
      changed["passwordLastSet"].get<std::string>(),
      std::regex("20[0-9][0-9]-[01][0-9]-[0-3][0-9]T[0-2][0-9]:[0-5][0-9]:"
                 "[0-5][0-9]Z")))
      << changed;

  // Listed or not, the primary group comes first when added and is marked.
  EXPECT_EQ(Ok({"user", "groups", "bob"}), "Domain Users (primary)\nSales\n");
  EXPECT_EQ(Ok({"user", "groups", "carol"}), "Domain Users\nSales (primary)\n");
  EXPECT_EQ(Ok({"user", "groups", "dave"}), "Domain Users (primary)\n");
  const json groups = Json({"user", "groups", "dave"});
  EXPECT_EQ(groups["groups"], json({"Domain Users"}));
  EXPECT_EQ(groups["primaryGroup"], "Domain Users");
  const Outcome missing = Corvane({"user", "groups", "nobody"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("NERR_UserNotFound"), std::string::npos);
}

TEST_F(CorvaneSession, SidsStayUniqueAcrossProcesses) {
  const std::string alice = Ok({"user", "sid", "alice"});
  EXPECT_TRUE(std::regex_match(alice, std::regex("[0-9]+\n"))) << alice;
  EXPECT_EQ(Ok({"user", "sid", "alice"}), alice);
  // Each add runs in its own process: the relative ids must not restart.
  Ok({"user", "add", "erin"}, "E_rin-Pass-1\n");
  Ok({"user", "add", "frank"}, "F_rank-Pass-1\n");
  const std::string erin = Ok({"user", "sid", "erin"});
  const std::string frank = Ok({"user", "sid", "frank"});
  std::set<std::string> sids = {alice, erin, frank};
  for (const char* name : {"Administrator", "Guest", "bob", "carol"}) {
    sids.insert(Ok({"user", "sid", name}));
  }
  EXPECT_EQ(sids.size(), 7u);
  EXPECT_EQ(Corvane({"user", "sid", "nobody"}).status, 1);
}

TEST_F(CorvaneSession, GroupLifecycleAndMembership) {
  Ok({"group", "add", "Eng", "--comment", "Engineering"});
  EXPECT_EQ(Ok({"group", "list"}), "Domain Admins\nDomain Users\nSales\nEng\n");
  EXPECT_EQ(Json({"group", "show", "Eng"})["comment"], "Engineering");
  Ok({"group", "set", "Eng", "--comment", "R&D"});
  EXPECT_EQ(Json({"group", "show", "Eng"})["comment"], "R&D");

  EXPECT_EQ(Ok({"group", "members", "Eng"}), "");
  EXPECT_EQ(Json({"group", "members", "Eng"})["members"], json::array());
  Ok({"group", "add-member", "Eng", "alice"});
  Ok({"group", "add-member", "Eng", "bob"});
  EXPECT_EQ(Ok({"group", "members", "Eng"}), "alice\nbob\n");
  const Outcome twice = Corvane({"group", "add-member", "Eng", "bob"});
  EXPECT_EQ(twice.status, 1);
  Ok({"group", "remove-member", "Eng", "alice"});
  EXPECT_EQ(Ok({"group", "members", "Eng"}), "bob\n");
  const Outcome not_member =
      Corvane({"group", "remove-member", "Eng", "carol"});
  EXPECT_EQ(not_member.status, 1);
  EXPECT_NE(not_member.err.find("Unable to remove user carol from group Eng"),
            std::string::npos)
      << not_member.err;

  Ok({"group", "delete", "Eng"});
  const Outcome again = Corvane({"group", "delete", "Eng"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("Unable to delete group (error #2220)\n"
                           "corvane: 2220 NERR_GroupNotFound: the group name "
                           "could not be found; group list shows the groups\n"),
            std::string::npos)
      << again.err;
  EXPECT_EQ(Corvane({"group", "show", "Eng"}).status, 1);
  EXPECT_EQ(Corvane({"group", "members", "Eng"}).status, 1);
  EXPECT_EQ(Corvane({"group", "add-member", "Sales", "nobody"}).status, 1);
}

TEST_F(CorvaneSession, EmptyListsPrintNothingButAnAccountNamedNoneShows) {
  Ok({"group", "add", "Empty"});
  EXPECT_EQ(Ok({"group", "members", "Empty"}), "");
  Ok({"user", "add", "None"}, "N_one-Pass-1\n");
  Ok({"group", "add-member", "Empty", "None"});
  EXPECT_EQ(Ok({"group", "members", "Empty"}), "None\n");

  for (const char* name : {"Administrator", "Guest", "alice", "bob", "carol"}) {
    Ok({"user", "delete", name});
  }
  EXPECT_EQ(Ok({"user", "list"}), "None\n");
  Ok({"user", "delete", "None"});
  EXPECT_EQ(Ok({"user", "list"}), "");
  EXPECT_EQ(Json({"user", "list"})["users"], json::array());
}

TEST_F(CorvaneSession, EveryCommandGivesJsonThatParses) {
  const std::vector<std::vector<std::string>> commands = {
      {"user", "list"},
      {"user", "add", "gina", "--full-name", "Gina"},
      {"user", "show", "gina"},
      {"user", "set", "gina", "--script", "g.cmd"},
      {"user", "password", "gina"},
      {"user", "disable", "gina"},
      {"user", "enable", "gina"},
      {"user", "unlock", "gina"},
      {"user", "sid", "gina"},
      {"user", "groups", "gina"},
      {"group", "list"},
      {"group", "add", "Ops", "--comment", "Operations"},
      {"group", "show", "Ops"},
      {"group", "set", "Ops", "--comment", "Ops team"},
      {"group", "add-member", "Ops", "gina"},
      {"group", "members", "Ops"},
      {"group", "remove-member", "Ops", "gina"},
      {"group", "delete", "Ops"},
      {"user", "delete", "gina"},
      {"invoke", "Users.sUserName=bob", "Users.sFullName"},
  };
  for (const auto& command : commands) {
    SCOPED_TRACE(command[0] + " " + command[1]);
    // A new password each time: the history refuses the current one.
    const json document =
        Json(command, 0,
             command[1] == "password" ? "G_ina-Pass-2\n" : "G_ina-Pass-1\n");
    EXPECT_TRUE(document.is_object());
    EXPECT_EQ(document.value("lastError", std::string("?")), "SUCCESS");
  }
  const json failed = Json({"user", "show", "nobody"}, 1);
  EXPECT_EQ(failed["lastError"],
            "ERROR - Unable to retrieve user information (error #2221)");
  EXPECT_EQ(failed["error"], failed["lastError"]);
  EXPECT_EQ(failed["status"], 2221);
  EXPECT_EQ(failed["statusName"], "NERR_UserNotFound");
  EXPECT_EQ(failed["message"], "the user name could not be found");
  EXPECT_EQ(failed["hint"], "user list shows the accounts");
}

// Exactly one document on standard output, whatever the outcome; `error`
// whenever the exit status is 1, `usageError` when it is 2.
TEST_F(CorvaneSession, EveryJsonRunPrintsOneDocument) {
  const std::vector<std::pair<std::vector<std::string>, int>> runs = {
      {{"--simulate", state_, "--domain", "CORVANE", "user", "lst"}, 2},
      {{"--simulate", state_, "--bogus"}, 2},
      {{"--simulate", state_, "user", "list"}, 2},
      {{"--simulate", state_, "--server", "x", "dc", "CORVANE"}, 2},
      {{"--simulate", state_, "--domain", "CORVANE", "user", "add", "x"}, 2},
      {{"--simulate", dir_.File("none/state.json"), "dc", "CORVANE"}, 1},
      {{"--simulate", state_, "--domain", "CORVANE", "group", "add", "Sales"},
       1},
      {{"--simulate", state_, "--domain", "CORVANE", "invoke", "Users.Add(z)"},
       1},
      {{"--simulate", state_, "--domain", "CORVANE", "invoke",
        "Groups.Users.sLastError"},
       1},
      {{"--simulate", state_, "--domain", "CORVANE", "invoke",
        "Groups.Enumerate()"},
       0},
      {{"-V"}, 0},
      {{"help", "group"}, 0},
  };
  for (auto [args, status] : runs) {
    args.insert(args.begin(), "--json");
    const Outcome outcome = RunCorvane(args);
    SCOPED_TRACE(outcome.out + outcome.err);
    EXPECT_EQ(outcome.status, status);
    const json document = json::parse(outcome.out);  // throws unless one
    EXPECT_TRUE(document.is_object());
    EXPECT_EQ(document.contains("error"), status == 1);
    EXPECT_EQ(document.contains("usageError"), status == 2);
    EXPECT_TRUE(status != 2 || document.size() == 1u);
  }
  const json automation =
      json::parse(RunCorvane({"--json", "--simulate", state_, "--domain",
                              "CORVANE", "invoke", "Users.Add(z)"})
                      .out)["automationError"];
  EXPECT_EQ(automation, json({{"number", "0x80020005"},
                              {"name", "DISP_E_TYPEMISMATCH"},
                              {"source", ""},
                              {"description", "type mismatch"}}))
      << automation;
  EXPECT_EQ(json::parse(RunCorvane({"--json", "--simulate", state_, "--domain",
                                    "CORVANE", "invoke", "Groups.Enumerate()"})
                            .out)["lastError"],
            nullptr);
}

TEST_F(CorvaneSession, LogLevelGatesWhatTheAuditShows) {
  const std::string none = dir_.File("none.log");
  Ok({"--log-level", "none", "--audit", none, "group", "add", "Quiet"});
  const std::string none_text = ReadFile(none);
  EXPECT_NE(none_text.find("initializing..."), std::string::npos);
  EXPECT_NE(none_text.find("terminating..."), std::string::npos);
  EXPECT_EQ(none_text.find("Added group"), std::string::npos) << none_text;

  const std::string adddel = dir_.File("adddel.log");
  Ok({"--audit", adddel, "group", "add", "Loud"});
  Ok({"--audit", adddel, "group", "set", "Loud", "--comment", "x"});
  EXPECT_NE(ReadFile(adddel).find("Added group Loud"), std::string::npos);
  EXPECT_EQ(ReadFile(adddel).find("Changed comment"), std::string::npos);
  const std::string link = dir_.File("link.log");
  std::filesystem::create_symlink(adddel, link);
  EXPECT_EQ(Corvane({"--audit", link, "group", "add", "Linked"}).status, 2);

  const Outcome full = Corvane({"--log-level", "FULL", "--audit", "-", "group",
                                "set", "Loud", "--comment", "line\nforged"});
  EXPECT_EQ(full.status, 0) << full.err;
  EXPECT_NE(full.err.find("event: Changed comment for group Loud to "
                          "line\\x0Aforged\n"),
            std::string::npos)
      << full.err;
  EXPECT_EQ(full.out, "");
  // Only the component's own two-line text keeps its break.
  const Outcome forged = Corvane({"user", "show", "x\r\ncorvane: forged"});
  EXPECT_EQ(forged.err.find("\ncorvane: forged"), std::string::npos)
      << forged.err;
}

TEST_F(CorvaneSession, ConcurrentCommandsLoseNoChange) {
  std::vector<std::unique_ptr<RunningCommand>> running;
  for (int i = 0; i < 8; ++i) {
    running.push_back(std::make_unique<RunningCommand>(
        std::vector<std::string>{"--simulate", state_, "--domain", "CORVANE",
                                 "group", "add", "Team" + std::to_string(i)}));
  }
  for (auto& command : running) EXPECT_EQ(command->Finish("").status, 0);
  const std::string groups = Ok({"group", "list"});
  for (int i = 0; i < 8; ++i) {
    EXPECT_NE(groups.find("Team" + std::to_string(i) + "\n"), std::string::npos)
        << groups;
  }
}

TEST_F(CorvaneSession, ACommandWaitingForTheLockSaysSoOnce) {
  EXPECT_EQ(Corvane({"group", "list"}).err, "");
  const int lock = ::open((state_ + ".lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(::flock(lock, LOCK_EX), 0);
  RunningCommand waiting(
      {"--simulate", state_, "--domain", "CORVANE", "group", "add", "Later"});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  ::close(lock);
  const Outcome outcome = waiting.Finish("");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "corvane: waiting for another command using " +
                             state_ + " to finish\n");
}

TEST_F(CorvaneSession, StateIsWrittenOnlyThroughAFileOfItsOwn) {
  namespace fs = std::filesystem;
  Ok({"group", "list"});
  const std::string victim = dir_.File("victim");
  std::ofstream(victim) << "mine";
  fs::permissions(victim, fs::perms(0644));
  const std::string planted = state_ + ".new";
  fs::create_symlink(victim, planted);
  Ok({"group", "add", "Linked"});
  EXPECT_EQ(ReadFile(victim), "mine");
  EXPECT_TRUE(fs::is_symlink(planted));

  // A leftover file of another mode gives the state none of it.
  fs::remove(planted);
  std::ofstream(planted) << "left over";
  fs::permissions(planted, fs::perms(0644));
  Ok({"group", "add", "Leftover"});
  EXPECT_EQ(ReadFile(planted), "left over");
  const fs::file_status state = fs::symlink_status(state_);
  EXPECT_EQ(state.type(), fs::file_type::regular);
  EXPECT_EQ(state.permissions(), fs::perms(0600));
  EXPECT_NE(Ok({"group", "list"}).find("Leftover\n"), std::string::npos);
  std::set<std::string> files;
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    files.insert(entry.path().filename().string());
  }
  EXPECT_EQ(files, (std::set<std::string>{"state.json", "state.json.lock",
                                          "state.json.new", "victim"}));
}

TEST_F(CorvaneSession, UnusableStateFileIsReportedAndKept) {
  const std::pair<std::string, std::string> cases[] = {
      {"{ not json", "unusable"},
      {"", "is empty: remove it to start afresh"},
  };
  for (const auto& [text, message] : cases) {
    std::ofstream(state_) << text;
    const Outcome outcome = Corvane({"user", "list"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
    EXPECT_EQ(ReadFile(state_), text);
  }

  // A link in the state file's place is refused, whether or not it leads
  // to a file, and neither the link nor its target changes.
  namespace fs = std::filesystem;
  const std::string real = dir_.File("real.json");
  fs::rename(state_, real);
  fs::create_symlink(real, state_);
  for (int dangling = 0; dangling < 2; ++dangling) {
    const Outcome outcome = Corvane({"group", "add", "Through"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find(state_ + " is a symbolic link"),
              std::string::npos)
        << outcome.err;
    EXPECT_TRUE(fs::is_symlink(state_));
    fs::remove(real);
  }
  EXPECT_FALSE(fs::exists(real));
  fs::remove(state_);
  fs::remove(state_ + ".lock");
  fs::create_symlink(real, state_ + ".lock");
  const Outcome outcome = Corvane({"group", "list"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("lock file " + state_ + ".lock is a symbolic"),
            std::string::npos)
      << outcome.err;
  EXPECT_FALSE(fs::exists(real));
  EXPECT_FALSE(fs::exists(state_));
}

}  // namespace
}  // namespace corvane::cli_test
