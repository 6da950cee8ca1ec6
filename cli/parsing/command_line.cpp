#include "cli/parsing/command_line.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>

#include "automation/text.h"
#include "cli/backends/backend.h"
#include "cli/exit_status.h"
#include "cli/parsing/command_suggestions.h"
#include "cli/parsing/command_tree.h"
#include "cli/parsing/help_width.h"

namespace corvane::cli {
namespace {

const std::map<std::string, std::int32_t> kLogLevels = {
    {"none", 0}, {"adddel", 1}, {"full", 2}};
const std::map<std::string, std::int32_t> kPrivileges = {
    {"guest", 0}, {"user", 1}, {"admin", 2}};

constexpr const char* kDescription =
    "Administers the user accounts and global groups of an NT or Active "
    "Directory domain through the Corvane automation classes (NTDomain, "
    "NTGroup, NTUser), reached late-bound by member name as a script "
    "reaches them.\n\nExit status: 0 when the object's sLastError reads "
    "SUCCESS, 1 when it holds an error text (printed to standard error) or "
    "an automation error occurred, 2 for a usage error.";

constexpr const char* kInvokeHelp =
    "Evaluates member paths in order on one NTDomain object. NAME=VALUE "
    "assigns a property (Users.sUserName=bob); a bare path reads and prints "
    "one (Users.sFullName); NAME(ARGS) calls a method and prints its result "
    "(Users.Add(dave,@password,\"\",\"\",\"\",\"Dave\",1,false)); a string "
    "array the method fills is printed one element a line "
    "(Users.Enumerate()). Dotted paths reach objects "
    "(Groups.Users.Enumerate() after Groups.sGroupName=Sales). Arguments: "
    "\"quoted text\", numbers, "
    "true/false, bare words as text, nothing for an omitted optional "
    "argument, and @password for a password read from the terminal or "
    "standard input; a password is never taken from the command line. "
    "With -f, the statements of FILE (one a line, # starting a comment) run "
    "first, then those given as arguments.";

// What `corvane` alone says.
constexpr const char* kShortUsage =
    "usage: corvane [OPTIONS] COMMAND [ARGUMENTS], for example\n"
    "  corvane --simulate demo.json -W CORVANE user list   (a simulated "
    "domain)\n"
    "  corvane -S dc1.example.com -W EXAMPLE -U admin user show alice\n"
    "  corvane -S dc1.example.com -W EXAMPLE -A admin.auth user import "
    "--dry-run users.csv\n"
    "Commands: dc, user, group, invoke, batch. corvane help COMMAND (or "
    "corvane --help) tells more.";

constexpr const char* kBatchHelp =
    "Each line of FILE (- for standard input) is a task command as it is "
    "written after corvane's own options (user show bob; group add-member "
    "\"Night Shift\" bob), quoted as a shell quotes; # starts a comment. "
    "Every line is read and checked, and every password its user add and "
    "user password lines need is read, before the first runs; then all "
    "run on one connection. Options such as --domain or --json are given "
    "before batch, not on a line.";

constexpr const char* kKeepGoingHelp =
    "Carry on past a failure; the exit status is 1 if any failed";
constexpr const char* kPasswordsFromHelp =
    "Read the passwords from FILE (one a line, in the order they are used) "
    "instead of the terminal or standard input";

constexpr const char* kListHelp =
    "The filters combine: an account is listed when it matches every one "
    "given. --expired: the password has expired (or must be changed at the "
    "next logon) or the account has. The accounts are read in the "
    "controller's batches, never one call per account. --last-logon gives "
    "each account's latest logon over every controller of the domain (found "
    "from the realm's DNS), and the controller that served it: each "
    "controller keeps its own, so each is read once; one that cannot be "
    "read is named, and the exit status is 1.";

constexpr const char* kImportHelp =
    "Columns: name, full name, comment, home dir, script, disabled (yes or "
    "no), groups (separated by ;), and password, accepted only in a file "
    "of yours with mode 600. Every row is checked before the controller is "
    "asked anything; a row that fails is reported and the next one goes on "
    "(exit status 1). With --exist-ok an account's attributes are set to "
    "the row's and the row's groups are added; its password is changed "
    "only with --reset-passwords and a password in the row. Columns must "
    "change (yes or no) and expires (YYYY-MM-DD, never, or empty to leave "
    "it) set those facts; the last logon column of an export is ignored.";

class Parser {
 public:
  // A batch line takes no global options: those of the batch hold.
  Parser(Request& request, bool batch_line)
      : request_(request), batch_line_(batch_line) {
    app_.name("corvane");
    app_.description(kDescription);
    app_.set_version_flag("-V,--version", VersionText());
    app_.fallthrough();
    app_.require_subcommand(1);
    AddGlobalOptions();
    AddDc();
    AddUser();
    AddGroup();
    AddInvoke();
    AddBatch();
    // Hidden: read at build time by the man page and completion generators.
    app_.add_flag_callback("--command-tree",
                           [this] {
                             std::ostringstream tree;
                             PrintCommandTree(app_, tree);
                             command_tree_ = tree.str();
                             throw CLI::Success();
                           })
        ->group("");
    help_ = app_.add_subcommand("help", "Show the help of a command");
    help_->add_option("COMMAND", help_words_, "Command, e.g. user add");
  }

  // The help text or version that parsing answered with, if any.
  std::optional<ParseEnd> Parse(int argc, const char* const* argv) {
    if (argc <= 1 && !batch_line_) {
      return ParseEnd{ParseEnd::Kind::kShortUsage, kShortUsage};
    }
    try {
      app_.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
      CLI::App* chosen = Chosen();
      if (chosen == help_) chosen = FindCommand(app_, help_words_);
      return ParseEnd{ParseEnd::Kind::kHelp, HelpOf(chosen)};
    } catch (const CLI::CallForAllHelp&) {
      return ParseEnd{ParseEnd::Kind::kHelp, HelpOf(&app_)};
    } catch (const CLI::CallForVersion&) {
      return ParseEnd{ParseEnd::Kind::kVersion, VersionText()};
    } catch (const CLI::Success&) {
      return ParseEnd{ParseEnd::Kind::kHelp, command_tree_};
    } catch (const CLI::ParseError& error) {
      const std::string diagnosis = DiagnoseCommandLine(app_, argc, argv);
      if (!diagnosis.empty()) throw UsageError(diagnosis);
      // Not echoed: a stray argument may be a secret typed by mistake.
      if (dynamic_cast<const CLI::ExtrasError*>(&error)) {
        throw UsageError("unexpected arguments (not shown); see " +
                         HelpPointer(Chosen()));
      }
      throw UsageError(std::string(error.what()) + "; see " +
                       HelpPointer(Chosen()));
    }
    if (help_->parsed()) {
      return ParseEnd{ParseEnd::Kind::kHelp,
                      HelpOf(FindCommand(app_, help_words_))};
    }
    GlobalOptions& options = request_.options;
    if (const char* simulate = std::getenv("CORVANE_SIMULATE");
        !batch_line_ && simulate != nullptr && *simulate != '\0' &&
        options.simulate_file.empty() && options.server.empty()) {
      options.simulate_file = simulate;
    }
    if (log_level_)
      request_.options.log_level =
          kLogLevels.at(automation::AsciiLower(*log_level_));
    request_.privilege = kPrivileges.at(automation::AsciiLower(privilege_));
    return std::nullopt;
  }

  // The first option of corvane itself the command line gave, if any.
  std::optional<std::string> GlobalOptionGiven() const {
    for (const CLI::Option* option : app_.get_options()) {
      if (option->count() > 0) return option->get_name();
    }
    return std::nullopt;
  }

 private:
  void AddGlobalOptions() {
    GlobalOptions& o = request_.options;
    const std::string target = "Domain and controller";
    app_.add_option("--domain,-W,--workgroup", o.domain,
                    "Domain to work on; its controller is located through "
                    "NTDomain.sDomain")
        ->envname(batch_line_ ? "" : "CORVANE_DOMAIN")
        ->group(target);
    app_.add_option("--server,-S", o.server,
                    "Domain controller to use directly (host name or "
                    "address; Samba backend)")
        ->envname(batch_line_ ? "" : "CORVANE_SERVER")
        ->group(target);
    app_.add_option("--realm", o.realm,
                    "DNS name (realm) of the domain (Samba backend); without "
                    "--server its controllers are found from its DNS")
        ->group(target);
    app_.add_option("--connect-timeout", o.connect_timeout,
                    "Seconds a controller found from DNS may take to accept "
                    "a connection before the next is tried (default 5)")
        ->envname(batch_line_ ? "" : "CORVANE_CONNECT_TIMEOUT")
        ->type_name("SECONDS")
        ->group(target);
    app_.add_option("--site", o.site,
                    "AD site whose controllers are tried first")
        ->envname(batch_line_ ? "" : "CORVANE_SITE")
        ->group(target);
    app_.add_option("--dns-server", o.dns_servers,
                    "Name servers (ADDRESS[:PORT], comma-separated, at most "
                    "three) to find the controllers with, instead of "
                    "/etc/resolv.conf")
        ->envname(batch_line_ ? "" : "CORVANE_DNS_SERVER")
        ->type_name("ADDRESSES")
        ->group(target);
    app_.add_option("--simulate", o.simulate_file,
                    "Use the simulated controller, seeded with a demo domain "
                    "(CORVANE on DC1); its state is kept in FILE between "
                    "commands (default: CORVANE_SIMULATE, unless a server is "
                    "given)")
        ->type_name("FILE")
        ->group(target);

    const std::string credentials =
        "Credentials (as Samba's clients take them)";
    app_.add_option("-U,--user", o.user,
                    "User name (DOMAIN\\USER or USER@REALM); the password is "
                    "asked for, never given here")
        ->type_name("USER")
        ->group(credentials);
    app_.add_option("-A,--authentication-file", o.auth_file,
                    "Authentication file with username, password and domain "
                    "lines")
        ->type_name("FILE")
        ->check(CLI::ExistingFile.description(""))
        ->group(credentials);
    app_.add_option("--use-krb5-ccache", o.krb5_ccache,
                    "Kerberos credentials cache to use (default: the one "
                    "kinit fills)")
        ->type_name("CCACHE")
        ->group(credentials);
    app_.add_option("--use-kerberos", o.use_kerberos,
                    "Use Kerberos: required, desired or off (default: off "
                    "with -U or -A, else required)")
        ->check(CLI::IsMember({"required", "desired", "off"}, CLI::ignore_case)
                    .description(""))
        ->type_name("required|desired|off")
        ->group(credentials);
    app_.add_flag_callback(
            "-k", [&o] { o.use_kerberos = "required"; },
            "Same as --use-kerberos=required")
        ->group(credentials);
    app_.add_option("-s,--configfile", o.configfile,
                    "smb.conf for the Samba client library; its workgroup, "
                    "realm and password server give the defaults of "
                    "--domain, --realm and --server")
        ->type_name("FILE")
        ->check(CLI::ExistingFile.description(""))
        ->group(credentials);

    const std::string output = "Output and logging";
    app_.add_option("--log-level", log_level_,
                    "NTDomain.eLogging: which changes are written to the "
                    "event log")
        ->check(CLI::IsMember({"none", "adddel", "full"}, CLI::ignore_case)
                    .description(""))
        ->type_name("none|adddel|full")
        ->group(output);
    app_.add_flag("--json", o.json, "Machine-readable output (JSON)")
        ->group(output);
    app_.add_option("--audit", o.audit,
                    "Also copy the event messages to a file, or to standard "
                    "error with -")
        ->type_name("FILE|-")
        ->group(output);
    app_.add_option("-d,--debug-level", o.debug_level,
                    "Above 0: trace every call to the controller on standard "
                    "error (never a password)")
        ->check(CLI::Range(0, 10).description(""))
        ->type_name("N")
        ->group(output);
  }

  CLI::App* Command(CLI::App& parent, const std::string& name,
                    const std::string& help, cli::Command command) {
    CLI::App* sub = parent.add_subcommand(name, help);
    sub->callback([this, command] { request_.command = command; });
    return sub;
  }

  void AddName(CLI::App* sub, const std::string& what) {
    sub->add_option(what, request_.name, what)->required();
  }

  void AddUserFields(CLI::App* sub) {
    UserFields& f = request_.fields;
    sub->add_option("--full-name", f.full_name, "Full name");
    sub->add_option("--comment", f.comment, "Account comment");
    sub->add_option("--home-dir", f.home_dir, "Home directory");
    sub->add_option("--script", f.script, "Logon script path");
  }

  void AddMustChange(CLI::App* sub, bool clearable) {
    Lifecycle& l = request_.lifecycle;
    CLI::Option* set = sub->add_flag_callback(
        "--must-change-at-next-login", [&l] { l.must_change = true; },
        "The user must change the password at the next logon");
    if (clearable) {
      sub->add_flag_callback(
             "--no-must-change-at-next-login", [&l] { l.must_change = false; },
             "The user need not change the password at the next logon")
          ->excludes(set);
    }
  }

  void AddExpiry(CLI::App* sub) {
    Lifecycle& l = request_.lifecycle;
    CLI::Option* date =
        sub->add_option("--expires", l.expires,
                        "The account expires at the end of DATE (YYYY-MM-DD, "
                        "local time)")
            ->type_name("DATE");
    CLI::Option* days =
        sub->add_option("--days", l.days, "The account expires N days from now")
            ->check(CLI::Range(1, 36500).description(""))
            ->type_name("N");
    CLI::Option* never =
        sub->add_flag("--no-expiry", l.no_expiry, "The account never expires");
    date->excludes(days)->excludes(never);
    days->excludes(never);
  }

  void AddDc() {
    CLI::App* dc = Command(app_, "dc", "Show the domain controller of DOMAIN",
                           Command::kDc);
    dc->add_option("DOMAIN", request_.name, "Domain name")->required();
    dc->add_flag("--policy", request_.dc_policy,
                 "Also show the domain's password policy (minimum length, "
                 "history, maximum and minimum age)");
  }

  void AddUser() {
    CLI::App* user = app_.add_subcommand("user", "User accounts");
    user->require_subcommand(1);
    CLI::App* list =
        Command(*user, "list", "List the normal user accounts, one a line",
                Command::kUserList);
    ListOptions& l = request_.list;
    list->add_flag("--disabled", l.disabled, "Only disabled accounts");
    list->add_flag("--locked", l.locked, "Only locked-out accounts");
    list->add_flag("--expired", l.expired,
                   "Only accounts whose password or account has expired");
    list->add_flag("--never-logged-on", l.never_logged_on,
                   "Only accounts that never logged on");
    CLI::Option* long_form = list->add_flag(
        "--long", l.long_form, "The facts of each account as columns");
    list->add_flag("--csv", l.csv,
                   "CSV with a header row: the columns of --long (or of "
                   "--last-logon)")
        ->excludes(long_form);
    list->add_flag("--last-logon", l.last_logon,
                   "Each account's latest logon over every controller, and "
                   "the controller that served it")
        ->excludes(long_form)
        ->excludes("--disabled")
        ->excludes("--locked")
        ->excludes("--expired")
        ->excludes("--never-logged-on");
    list->footer(kListHelp);
    CLI::App* show = Command(*user, "show", "Show an account's attributes",
                             Command::kUserShow);
    AddName(show, "USER");
    show->add_flag("--all-dcs", request_.all_controllers,
                   "Ask every controller of the domain: the latest logon "
                   "and the controller that served it, and each "
                   "controller's bad password count and lock-out");
    CLI::App* add = Command(*user, "add",
                            "Create an account; its password is read from "
                            "the terminal (without echo) or standard input, "
                            "or generated with --random-password",
                            Command::kUserAdd);
    AddName(add, "USER");
    AddUserFields(add);
    add->add_option("--privilege", privilege_, "Privilege level")
        ->check(CLI::IsMember({"guest", "user", "admin"}, CLI::ignore_case)
                    .description(""))
        ->type_name("guest|user|admin");
    add->add_flag("--disabled", request_.disabled, "Create it disabled");
    AddMustChange(add, false);
    AddExpiry(add);
    add->add_flag("--random-password", request_.random_password,
                  "Generate the password (16 characters); it is shown once "
                  "on the terminal, or written to --write-password FILE");
    add->add_option("--write-password", request_.password_file,
                    "With --random-password: write \"user,password\" to "
                    "this new file (mode 600) instead of the terminal")
        ->type_name("FILE");
    CLI::App* set = Command(*user, "set", "Change an account's attributes",
                            Command::kUserSet);
    AddName(set, "USER");
    AddUserFields(set);
    AddMustChange(set, true);
    AddExpiry(set);
    CLI::App* password = Command(*user, "password",
                                 "Set an account's password, read from the "
                                 "terminal (without echo) or standard input",
                                 Command::kUserPassword);
    AddName(password, "USER");
    AddMustChange(password, false);
    CLI::App* rename = Command(
        *user, "rename", "Rename an account; its SID, groups and password stay",
        Command::kUserRename);
    AddName(rename, "USER");
    rename->add_option("NEW", request_.new_name, "New logon name")->required();
    AddName(
        Command(*user, "disable", "Disable an account", Command::kUserDisable),
        "USER");
    AddName(Command(*user, "enable", "Enable an account", Command::kUserEnable),
            "USER");
    AddName(Command(*user, "unlock", "Unlock a locked-out account",
                    Command::kUserUnlock),
            "USER");
    CLI::App* sid =
        Command(*user, "sid",
                "Show an account's SID as NTUser.sSID gives it (the bytes in "
                "decimal, run together), or with --format=sddl as S-1-5-...",
                Command::kUserSid);
    AddName(sid, "USER");
    sid->add_option("--format", request_.sid_format,
                    "bytes (NTUser.sSID, the default) or sddl (S-1-5-...)")
        ->check(
            CLI::IsMember({"bytes", "sddl"}, CLI::ignore_case).description(""))
        ->type_name("bytes|sddl");
    AddName(Command(*user, "groups",
                    "List the global groups an account belongs to, its "
                    "primary group marked",
                    Command::kUserGroups),
            "USER");
    AddName(Command(*user, "delete", "Delete an account", Command::kUserDelete),
            "USER");
    AddImportExport(*user);
  }

  void AddImportExport(CLI::App& user) {
    ImportOptions& o = request_.import;
    CLI::App* import =
        Command(user, "import",
                "Create or update accounts from a CSV file with a header row",
                Command::kUserImport);
    import
        ->add_option("FILE", request_.name, "CSV file, or - for standard input")
        ->required();
    import->add_flag("--dry-run", o.dry_run,
                     "Check every row and say what would be done; change "
                     "nothing");
    import->add_flag("--exist-ok", o.exist_ok,
                     "Update an existing account to match its row");
    import->add_flag("--reset-passwords", o.reset_passwords,
                     "With --exist-ok: also set an existing account's "
                     "password from its row's password column");
    import
        ->add_option("--generate-passwords", o.generate_passwords,
                     "Generate the passwords of new accounts without one "
                     "and write them to this new file (mode 600)")
        ->type_name("OUTFILE");
    import->add_flag("--trust-pipe", o.trust_pipe,
                     "Take a password column from a pipe, whose source "
                     "cannot be checked for mode 600");
    import->add_flag("--spreadsheet-safe", o.spreadsheet_safe,
                     "Read a file written by export --spreadsheet-safe: take "
                     "the apostrophe off cells that start with ' and then "
                     "= + - or @");
    import->footer(kImportHelp);
    CLI::App* exported =
        Command(user, "export",
                "Write the normal accounts as CSV, in the columns import reads",
                Command::kUserExport);
    exported->add_option(
        "FILE", request_.name,
        "New file to write, or - for standard output (default)");
    exported->add_flag("--spreadsheet-safe", o.spreadsheet_safe,
                       "Start cells that begin with = + - or @ with an "
                       "apostrophe, so that a spreadsheet shows them as text "
                       "instead of running them as formulas");
  }

  void AddGroup() {
    CLI::App* group = app_.add_subcommand("group", "Global groups");
    group->require_subcommand(1);
    Command(*group, "list", "List the global groups, one a line",
            Command::kGroupList);
    AddName(
        Command(*group, "show", "Show a group's comment", Command::kGroupShow),
        "GROUP");
    CLI::App* add =
        Command(*group, "add", "Create a global group", Command::kGroupAdd);
    AddName(add, "GROUP");
    add->add_option("--comment", request_.comment, "Group comment");
    CLI::App* set =
        Command(*group, "set", "Change a group's comment", Command::kGroupSet);
    AddName(set, "GROUP");
    set->add_option("--comment", request_.comment, "New comment")->required();
    AddName(Command(*group, "delete", "Delete a global group",
                    Command::kGroupDelete),
            "GROUP");
    AddName(Command(*group, "members", "List a group's members, one a line",
                    Command::kGroupMembers),
            "GROUP");
    CLI::App* add_member =
        Command(*group, "add-member", "Add a user to a group",
                Command::kGroupAddMember);
    AddName(add_member, "GROUP");
    add_member->add_option("USER", request_.member, "User")->required();
    CLI::App* remove_member =
        Command(*group, "remove-member", "Remove a user from a group",
                Command::kGroupRemoveMember);
    AddName(remove_member, "GROUP");
    remove_member->add_option("USER", request_.member, "User")->required();
    CLI::App* rename = Command(
        *group, "rename", "Rename a global group; its SID and members stay",
        Command::kGroupRename);
    AddName(rename, "GROUP");
    rename->add_option("NEW", request_.new_name, "New group name")->required();
  }

  void AddInvoke() {
    CLI::App* invoke =
        Command(app_, "invoke", "Evaluate member paths on a domain object",
                Command::kInvoke);
    invoke->footer(kInvokeHelp);
    invoke->add_option("PATH", request_.statements, "Member paths, in order");
    invoke
        ->add_option("-f,--file", request_.statements_file,
                     "Read statements from FILE, one a line (- for "
                     "standard input)")
        ->type_name("FILE|-");
    AddRunOptions(invoke);
  }

  void AddBatch() {
    CLI::App* batch = Command(app_, "batch",
                              "Run task commands from a file, one a line, "
                              "on one connection",
                              Command::kBatch);
    batch->footer(kBatchHelp);
    batch->add_option("FILE", request_.batch_file, "Command file, or -")
        ->required();
    AddRunOptions(batch);
  }

  void AddRunOptions(CLI::App* sub) {
    sub->add_flag("--keep-going", request_.keep_going, kKeepGoingHelp);
    sub->add_option("--passwords-from", request_.passwords_from,
                    kPasswordsFromHelp)
        ->type_name("FILE|-");
  }

  // The deepest command given, for its --help.
  CLI::App* Chosen() {
    CLI::App* chosen = &app_;
    while (true) {
      const std::vector<CLI::App*> parsed = chosen->get_subcommands();
      if (parsed.empty()) return chosen;
      chosen = parsed.front();
    }
  }

  // "corvane help user show": where the help of `command` is.
  static std::string HelpPointer(const CLI::App* command) {
    std::string words;
    for (; command->get_parent() != nullptr; command = command->get_parent()) {
      words.insert(0, " " + command->get_name());
    }
    return words.empty() ? "corvane --help" : "corvane help" + words;
  }

  // Straight from the formatter: App::help would show the help of a
  // command parsed below this one (`help` itself).
  static std::string HelpOf(CLI::App* command) {
    std::string path = command->get_name();
    for (const CLI::App* parent = command->get_parent(); parent;
         parent = parent->get_parent()) {
      path = parent->get_name() + " " + path;
    }
    const std::string help = command->get_formatter()->make_help(
        command, path, CLI::AppFormatMode::Normal);
    const std::optional<std::size_t> width = HelpWidth();
    return width ? FitHelp(help, *width) : help;
  }

  Request& request_;
  bool batch_line_;
  CLI::App app_;
  CLI::App* help_ = nullptr;
  std::vector<std::string> help_words_;
  std::string command_tree_;  // what --command-tree prints
  std::optional<std::string> log_level_;
  std::string privilege_ = "user";
};

}  // namespace

std::variant<Request, ParseEnd> ParseCommandLine(int argc,
                                                 const char* const* argv) {
  Request request;
  Parser parser(request, false);
  if (std::optional<ParseEnd> ended = parser.Parse(argc, argv)) {
    return std::move(*ended);
  }
  return request;
}

Request ParseBatchLine(const std::vector<std::string>& words) {
  std::vector<const char*> argv = {"corvane"};
  for (const std::string& word : words) argv.push_back(word.c_str());
  Request request;
  Parser parser(request, true);
  if (parser.Parse(static_cast<int>(argv.size()), argv.data())) {
    throw UsageError("help, --version and --command-tree are not commands");
  }
  if (const std::optional<std::string> option = parser.GlobalOptionGiven()) {
    throw UsageError(*option +
                     " is an option of corvane itself: give it before "
                     "`batch`, not on a line");
  }
  if (request.command == Command::kBatch ||
      request.command == Command::kInvoke) {
    throw UsageError(
        "batch and invoke do not run inside a batch (use invoke -f for "
        "statements)");
  }
  return request;
}

std::string VersionText() {
  std::string text = "corvane 2.6.2\nbackends:";
  for (const std::string& backend : BuiltInBackends()) text += " " + backend;
  return text;
}

}  // namespace corvane::cli
