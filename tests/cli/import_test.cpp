// user import and user export against the simulated controller: what each
// row reports, which calls are made, where passwords go and where they
// never go, and that an export imports back to the same accounts.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "tests/cli/cli_fixture.h"

namespace corvane::cli_test {
namespace {

using nlohmann::json;

constexpr const char* kHeader =
    "name,full name,comment,home dir,script,disabled,groups";

class ImportSession : public CorvaneSession {
 protected:
  std::string Csv(const std::string& name, const std::string& text,
                  std::filesystem::perms mode = std::filesystem::perms(0600)) {
    const std::string path = dir_.File(name);
    std::ofstream(path, std::ios::binary) << text;
    std::filesystem::permissions(path, mode);
    return path;
  }

  // The calls that change the controller, in a -d trace.
  static int WriteCalls(const std::string& trace) {
    static const std::regex kWrite(
        "netapi: Net(UserAdd|UserSetInfo|UserDel|GroupAdd|GroupAddUser|"
        "GroupSetInfo|GroupDel|GroupDelUser) ");
    return static_cast<int>(
        std::distance(std::sregex_iterator(trace.begin(), trace.end(), kWrite),
                      std::sregex_iterator()));
  }

  // What the simulated controller keeps as `user`'s password.
  std::string StoredPassword(const std::string& user) {
    const json state = json::parse(ReadFile(state_));
    for (const json& account : state["domains"][0]["users"]) {
      if (account["name"] == user) return account["password"];
    }
    return "";
  }
};

TEST_F(ImportSession, DryRunSaysWhatItWouldDoAndChangesNothing) {
  const std::string file =
      Csv("a.csv", std::string(kHeader) +
                       "\nann,Ann,,,,no,Sales\r\n"
                       "bob,Bob Baker,Sales,,,no,Domain Users;Sales\n"
                       "carol,\"Carol \"\"C\"\" Clark\",Sales,,,yes,\n");
  const std::string passwords = dir_.File("new.txt");
  const Outcome dry =
      Corvane({"-d", "1", "user", "import", "--dry-run", "--exist-ok",
               "--generate-passwords", passwords, file});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_EQ(dry.out,
            "line 2 ann: would create with a generated password, add to "
            "Sales\n"
            "line 3 bob: nothing to change\n"
            "line 4 carol: would set full name, disable\n");
  EXPECT_EQ(WriteCalls(dry.err), 0) << dry.err;
  EXPECT_FALSE(std::filesystem::exists(passwords));
  EXPECT_NE(Corvane({"user", "show", "ann"}).status, 0);

  // The same file for real, then again: every row is then as it says.
  const json done = Json({"user", "import", "--exist-ok",
                          "--generate-passwords", passwords, file});
  ASSERT_EQ(done["rows"].size(), 3u);
  EXPECT_EQ(done["rows"][0]["action"], "create");
  EXPECT_EQ(done["rows"][2]["done"], json({"set full name", "disable"}));
  const json carol = Json({"user", "show", "carol"});
  EXPECT_EQ(carol["disabled"], true);
  EXPECT_EQ(carol["fullName"], "Carol \"C\" Clark");
  const Outcome again =
      Corvane({"-d", "1", "user", "import", "--exist-ok", file});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(WriteCalls(again.err), 0) << again.err;
  // A dry run only says what it would add.
  EXPECT_EQ(Ok({"user", "import", "--dry-run", "--exist-ok", "-"},
               "name,groups\nalice,Sales\n"),
            "line 2 alice: would add to Sales\n");
  // Columns left out are left alone.
  EXPECT_EQ(
      Ok({"user", "import", "--exist-ok", "-"}, "name,groups\nalice,Sales\n"),
      "line 2 alice: added to Sales\n");
  EXPECT_EQ(Json({"user", "show", "alice"})["fullName"], "Alice Archer");
}

TEST_F(ImportSession, GeneratedPasswordsGoToANewPrivateFileOnly) {
  // Enough accounts that a generator leaving a character class to chance
  // is caught.
  std::string rows = kHeader;
  for (int i = 0; i < 40; ++i) rows += "\nu" + std::to_string(i) + ",,,,,,";
  const std::string file = Csv("a.csv", rows + "\n");
  const std::string passwords = dir_.File("new.txt");
  const std::string audit = dir_.File("audit.log");
  const json done = Json({"--audit", audit, "--log-level", "full", "user",
                          "import", "--generate-passwords", passwords, file});
  struct stat info {};
  ASSERT_EQ(::lstat(passwords.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const std::string lines = ReadFile(passwords);
  const std::regex line("(u[0-9]+),([^\n]{16})\n");
  std::set<std::string> users, seen;
  for (auto it = std::sregex_iterator(lines.begin(), lines.end(), line);
       it != std::sregex_iterator(); ++it) {
    const std::string user = (*it)[1], password = (*it)[2];
    users.insert(user);
    seen.insert(password);
    EXPECT_EQ(StoredPassword(user), password);
    for (const char* needed : {"[A-Z]", "[a-z]", "[0-9]", "[^A-Za-z0-9]"}) {
      EXPECT_TRUE(std::regex_search(password, std::regex(needed)))
          << needed << " " << password;
    }
    EXPECT_EQ(done.dump().find(password), std::string::npos);
    EXPECT_EQ(ReadFile(audit).find(password), std::string::npos);
  }
  EXPECT_EQ(users.size(), 40u) << lines;
  EXPECT_EQ(seen.size(), 40u);

  // A rerun that makes no account needs no new file: the existing one is
  // left alone and the run succeeds.
  EXPECT_EQ(Ok({"user", "import", "--exist-ok", "--generate-passwords",
                passwords, file})
                .find("set"),
            std::string::npos);
  EXPECT_EQ(ReadFile(passwords), lines);
  // An existing file is never written to: a new account needing a password
  // fails its row before it is made.
  const std::string other =
      Csv("b.csv", std::string(kHeader) + "\neve,,,,,,\n");
  const Outcome refused =
      Corvane({"user", "import", "--generate-passwords", passwords, other});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("line 2 eve: failed: --generate-passwords"),
            std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("the file exists"), std::string::npos);
  EXPECT_EQ(ReadFile(passwords), lines);
  EXPECT_NE(Corvane({"user", "show", "eve"}).status, 0);
  // Without a password source a new account is refused, the row named.
  const Outcome no_source = Corvane({"user", "import", other});
  EXPECT_EQ(no_source.status, 1);
  EXPECT_NE(no_source.out.find("line 2 eve: failed: a new account needs a "
                               "password"),
            std::string::npos);
}

TEST_F(ImportSession, PasswordColumnOnlyFromAPrivateFile) {
  const std::string text = "name,password\nann,Imported-Pass-7\n";
  const std::string open_file =
      Csv("open.csv", text, std::filesystem::perms(0644));
  const Outcome refused = Corvane({"-d", "1", "user", "import", open_file});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("must be yours and mode 600 (it is mode 644)"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.err.find("netapi: NetUser"), std::string::npos);
  // A pipe shows mode 600 whatever feeds it: taken only when trusted.
  const Outcome piped = Corvane({"user", "import", "-"}, text);
  EXPECT_EQ(piped.status, 2);
  EXPECT_NE(piped.err.find("it is a pipe"), std::string::npos) << piped.err;
  EXPECT_EQ(Corvane({"user", "import", "--trust-pipe", "-"}, text).status, 0);
  Ok({"user", "delete", "ann"});

  const std::string audit = dir_.File("audit.log");
  const Outcome done =
      Corvane({"-d", "1", "--audit", audit, "--log-level", "full", "user",
               "import", Csv("private.csv", text)});
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_EQ(StoredPassword("ann"), "Imported-Pass-7");
  for (const std::string& shown : {done.out, done.err, ReadFile(audit)}) {
    EXPECT_EQ(shown.find("Imported-Pass-7"), std::string::npos) << shown;
  }
  // An existing account keeps its password on a rerun; it takes the row's
  // only with --reset-passwords.
  const std::string again =
      Csv("again.csv", "name,password\nann,Changed-Pass-8\n");
  EXPECT_EQ(Ok({"user", "import", "--exist-ok", again}),
            "line 2 ann: nothing to change\n");
  EXPECT_EQ(StoredPassword("ann"), "Imported-Pass-7");
  EXPECT_EQ(Ok({"user", "import", "--exist-ok", "--dry-run",
                "--reset-passwords", again}),
            "line 2 ann: would set the password\n");
  EXPECT_EQ(StoredPassword("ann"), "Imported-Pass-7");
  EXPECT_EQ(Ok({"user", "import", "--exist-ok", "--reset-passwords", again}),
            "line 2 ann: set the password\n");
  EXPECT_EQ(StoredPassword("ann"), "Changed-Pass-8");
}

TEST_F(ImportSession, EveryBadRowIsNamedAndNothingIsDone) {
  const std::string file =
      Csv("bad.csv", "\xEF\xBB\xBF" + std::string(kHeader) +
                         "\nfine,,,,,,\n"
                         "\"a,b\",,,,,,\n"
                         "twenty-one-characters,,,,,,\n"
                         "\"tab\there\",,,,,,\n"
                         ". .,,,,,,\n"
                         "FINE,,,,,,\n"
                         "odd,,,,,maybe,\n"
                         "short,,\n"
                         "twenty-chars-exactly,\"two\nlines\",,,,,\n"
                         "at@sign,,,,,,\n" +
                         std::string("nul,x\0y,,,,,\n", 13));
  const Outcome dry = Corvane({"-d", "1", "user", "import", "--dry-run",
                               "--generate-passwords", dir_.File("p"), file});
  EXPECT_EQ(dry.status, 1);
  for (const char* message :
       {"line 3: \"a,b\" holds ','",
        "line 4: \"twenty-one-characters\" is "
        "longer than 20 characters",
        "line 5: \"tab\\x09here\" holds a control character",
        "line 6: \". .\" is only dots and spaces",
        "line 7 (FINE): the name is also on line 2",
        "line 8 (odd): \"disabled\" must be yes or no",
        "line 9: 3 fields where the header has 7",
        "line 12: \"at@sign\" holds '@'",
        "line 13: a field holds a NUL character"}) {
    EXPECT_NE(dry.err.find(message), std::string::npos) << message << dry.err;
  }
  EXPECT_EQ(dry.out,
            "line 2 fine: would create with a generated password\n"
            "line 10 twenty-chars-exactly: would create with a generated "
            "password\n");

  const Outcome real = Corvane({"-d", "1", "user", "import",
                                "--generate-passwords", dir_.File("p"), file});
  EXPECT_EQ(real.status, 1);
  EXPECT_NE(real.err.find("nothing was done"), std::string::npos);
  EXPECT_EQ(WriteCalls(real.err), 0) << real.err;
  EXPECT_EQ(real.err.find("NetUserGetInfo"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("p")));

  for (const auto& [text, message] :
       std::vector<std::pair<std::string, std::string>>{
           {"name,shoe size\n", "unknown column \"shoe size\""},
           {"name\n\"open,\n", "line 2: a quoted field is not closed"},
           {"name\nab\"c\n", "line 2: a quote inside an unquoted field"},
           {"", "is empty"}}) {
    const Outcome outcome = Corvane({"user", "import", "-"}, text);
    EXPECT_EQ(outcome.status, 2) << text;
    EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
  }
}

TEST_F(ImportSession, AMissingGroupIsFoundBeforeAnythingIsDone) {
  const std::string file =
      Csv("a.csv",
          std::string(kHeader) +
              "\nann,Ann,,,,no,Sales;Auditors\nbob,Bob Baker,Sales,,,no,\n");
  const Outcome refused =
      Corvane({"-d", "1", "user", "import", "--exist-ok",
               "--generate-passwords", dir_.File("p"), file});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("line 2 (ann): the group Auditors does not exist"),
            std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("nothing was done"), std::string::npos);
  EXPECT_EQ(WriteCalls(refused.err), 0) << refused.err;
  EXPECT_NE(Corvane({"user", "show", "ann"}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.File("p")));

  Ok({"group", "add", "Auditors"});
  EXPECT_EQ(Ok({"user", "import", "--exist-ok", "--generate-passwords",
                dir_.File("p"), file}),
            "line 2 ann: created, password written to " + dir_.File("p") +
                ", added to Sales, added to Auditors\n"
                "line 3 bob: nothing to change\n");
  EXPECT_EQ(Ok({"group", "members", "Auditors"}), "ann\n");
  // Run again, it changes nothing.
  EXPECT_EQ(Ok({"user", "import", "--exist-ok", "--generate-passwords",
                dir_.File("p"), file}),
            "line 2 ann: nothing to change\nline 3 bob: nothing to change\n");
  // Without --exist-ok an existing account is a failed row, on standard
  // error too and with its `error` in JSON; the rest go on.
  const Outcome strict = Corvane({"user", "import", file});
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(strict.out.find("line 3 bob: failed: the account exists"),
            std::string::npos);
  EXPECT_NE(strict.err.find("corvane: line 3 bob: failed: the account exists"),
            std::string::npos)
      << strict.err;
  const json rows = Json({"user", "import", file}, 1)["rows"];
  EXPECT_NE(rows[1]["error"].get<std::string>().find("the account exists"),
            std::string::npos);
}

TEST_F(ImportSession, MustChangeAndExpiryColumnsSetThoseFacts) {
  const std::string file =
      Csv("a.csv",
          "name,must change,expires\nann,yes,2030-06-30\nbob,,never\n"
          "cy,maybe,1960-01-01\n");
  const Outcome dry = Corvane({"user", "import", "--dry-run", "--exist-ok",
                               "--generate-passwords", dir_.File("p"), file});
  EXPECT_EQ(dry.status, 1);
  EXPECT_NE(dry.err.find("line 4 (cy): \"must change\" must be yes or no"),
            std::string::npos)
      << dry.err;
  EXPECT_NE(dry.err.find("line 4 (cy): \"expires\" must be YYYY-MM-DD"),
            std::string::npos);
  EXPECT_EQ(dry.out,
            "line 2 ann: would create with a generated password, set the "
            "expiry, require a password change\nline 3 bob: nothing to "
            "change\n");
  const std::string good = Csv("b.csv",
                               "name,must change,expires,last logon\n"
                               "ann,yes,2030-06-30,never\nbob,yes,,never\n");
  const Outcome done = Corvane({"user", "import", "--exist-ok",
                                "--generate-passwords", dir_.File("p"), good});
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_NE(done.err.find("\"last logon\" is an export's record and is "
                          "ignored"),
            std::string::npos)
      << done.err;
  EXPECT_EQ(done.out,
            "line 2 ann: created, password written to " + dir_.File("p") +
                ", set the expiry, require a password change\nline 3 bob: "
                "require a password change\n");
  const json ann = Json({"user", "show", "ann"});
  EXPECT_EQ(ann["mustChangePassword"], true);
  EXPECT_EQ(ann["accountExpires"].get<std::string>().substr(0, 7), "2030-07");
  EXPECT_NE(Ok({"user", "export"})
                .find("\nbob,Bob Baker,Sales,,,no,Domain Users;Sales,yes,never,"
                      "never\n"),
            std::string::npos);
}

TEST_F(ImportSession, ExportImportsBackToTheSameAccounts) {
  Ok({"group", "add", "Ops"});
  const std::string file =
      Csv("a.csv", std::string(kHeader) +
                       "\nzoe,\"Zoë \"\"Z\"\", Ünal\",\"two\nlines\","
                       "\\\\fs\\home,run.cmd,yes,Ops;Sales\n"
                       "plain, spaced ,,,,no,\n");
  Ok({"user", "import", "--generate-passwords", dir_.File("p"), file});
  const std::string exported = Ok({"user", "export"});
  EXPECT_NE(exported.find("\nzoe,\"Zoë \"\"Z\"\", Ünal\",\"two\nlines\","
                          "\\\\fs\\home,run.cmd,yes,Sales;Ops,no,never,"
                          "never\n"),
            std::string::npos)
      << exported;
  EXPECT_NE(exported.find("\nplain,\" spaced \",,,,no,,no,never,never\n"),
            std::string::npos)
      << exported;
  EXPECT_EQ(exported.find("password"), std::string::npos);

  // Into a fresh domain: the same accounts come out.
  const std::string saved = Csv("export.csv", exported);
  state_ = dir_.File("fresh.json");
  Ok({"group", "add", "Ops"});
  Ok({"user", "import", "--exist-ok", "--generate-passwords", dir_.File("p2"),
      saved});
  EXPECT_EQ(Ok({"user", "export"}), exported);
  // A file is written new, never over another.
  const std::string target = dir_.File("out.csv");
  Ok({"user", "export", target});
  EXPECT_EQ(ReadFile(target), exported);
  EXPECT_EQ(Corvane({"user", "export", target}).status, 2);

  // Safe to open in a spreadsheet, and read back the same.
  Ok({"user", "set", "plain", "--comment", "=HYPERLINK(\"x\")"});
  const std::string safe = Ok({"user", "export", "--spreadsheet-safe"});
  EXPECT_NE(safe.find("\nplain,\" spaced \",\"'=HYPERLINK(\"\"x\"\")\","),
            std::string::npos)
      << safe;
  const std::string safe_file = Csv("safe.csv", safe);
  state_ = dir_.File("third.json");
  Ok({"group", "add", "Ops"});
  Ok({"user", "import", "--exist-ok", "--spreadsheet-safe",
      "--generate-passwords", dir_.File("p3"), safe_file});
  EXPECT_EQ(Ok({"user", "export", "--spreadsheet-safe"}), safe);
}

// The rows are read before the session's state is locked: a slow writer
// keeps no other command waiting.
TEST_F(ImportSession, AFileFromStandardInputHoldsNoLock) {
  RunningCommand import({"--simulate", state_, "--domain", "CORVANE", "user",
                         "import", "-", "--generate-passwords",
                         dir_.File("new.txt")});
  ASSERT_TRUE(import.WaitUntilAsleep());
  const int lock =
      ::open((state_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(lock, 0);
  EXPECT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0) << "reading holds the lock";
  ::close(lock);
  const Outcome done =
      import.Finish(std::string(kHeader) + "\nnina,Nina,,,,no,\n");
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_EQ(Corvane({"user", "show", "nina"}).status, 0);
}

}  // namespace
}  // namespace corvane::cli_test
