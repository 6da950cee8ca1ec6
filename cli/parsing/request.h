// One run of the command, as parsed from its arguments: the options every
// command shares and what the chosen command was asked to do.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

struct GlobalOptions {
  std::string domain;  // --domain / CORVANE_DOMAIN
  std::string server;  // --server: the controller to talk to
  std::string realm;   // --realm
  // Finding the controllers from DNS (Samba backend): as given, checked
  // where they are used.
  std::string connect_timeout;  // --connect-timeout / CORVANE_CONNECT_TIMEOUT
  std::string site;             // --site / CORVANE_SITE
  std::string dns_servers;      // --dns-server / CORVANE_DNS_SERVER
  std::string user;             // -U: the password is asked for
  std::string auth_file;        // -A: Samba authentication file
  std::string krb5_ccache;      // --use-krb5-ccache
  std::string use_kerberos;     // -k, --use-kerberos
  std::string configfile;       // -s: client smb.conf
  std::optional<std::int32_t> log_level;  // --log-level, eLogging
  bool json = false;
  std::string simulate_file;  // --simulate FILE
  std::string audit;          // --audit: "-" for stderr, or a file
  int debug_level = 0;        // -d: above 0, the platform calls on stderr
};

enum class Command {
  kDc,
  kUserList,
  kUserShow,
  kUserAdd,
  kUserSet,
  kUserPassword,
  kUserDisable,
  kUserEnable,
  kUserUnlock,
  kUserSid,
  kUserGroups,
  kUserDelete,
  kUserRename,
  kUserImport,
  kUserExport,
  kGroupList,
  kGroupShow,
  kGroupAdd,
  kGroupSet,
  kGroupDelete,
  kGroupMembers,
  kGroupAddMember,
  kGroupRemoveMember,
  kGroupRename,
  kInvoke,
  kBatch,
};

// The text attributes `user add` and `user set` may give.
struct UserFields {
  std::optional<std::string> full_name;
  std::optional<std::string> comment;
  std::optional<std::string> home_dir;
  std::optional<std::string> script;
  bool any() const { return full_name || comment || home_dir || script; }
};

// The account lifecycle options of `user add`, `user password` and `user
// set`: whether the password must be changed at the next logon (none: left
// as it is) and when the account expires.
struct Lifecycle {
  std::optional<bool> must_change;
  std::optional<std::string> expires;  // --expires DATE
  std::optional<std::int32_t> days;    // --days N from now
  bool no_expiry = false;              // --no-expiry
  bool expiry_given() const { return expires || days || no_expiry; }
  bool any() const { return must_change || expiry_given(); }
};

// Which accounts `user list` shows, and how.
struct ListOptions {
  bool disabled = false;
  bool locked = false;
  bool expired = false;  // the password or the account
  bool never_logged_on = false;
  bool long_form = false;  // the facts of each account as columns
  bool csv = false;
  bool last_logon = false;  // the latest logon over every controller
  bool filtered() const {
    return disabled || locked || expired || never_logged_on;
  }
  bool any() const { return filtered() || long_form || csv || last_logon; }
};

// What `user import` may do.
struct ImportOptions {
  bool dry_run = false;
  bool exist_ok = false;
  std::string generate_passwords;  // a new file for generated passwords
  // Cells a spreadsheet would take for formulas start with an apostrophe
  // (export), which import takes off.
  bool spreadsheet_safe = false;
  // A password column is accepted from a pipe, whose mode proves nothing.
  bool trust_pipe = false;
  // An existing account's password is set from its row only when asked.
  bool reset_passwords = false;
};

struct BatchLine;
struct ImportFile;

struct Request {
  Command command = Command::kInvoke;
  GlobalOptions options;
  std::string name;    // the domain, user or group the command is about
  std::string member;  // the user of add-member / remove-member
  UserFields fields;
  std::int32_t privilege = 1;  // privUser
  bool disabled = false;
  std::optional<std::string> comment;  // group comment
  Lifecycle lifecycle;
  // user add: a generated password, shown on the terminal or written to
  // `password_file` (new, mode 600).
  bool random_password = false;
  std::string password_file;
  std::string new_name;          // user rename, group rename
  ListOptions list;              // user list
  std::string sid_format;        // user sid: "sddl" or empty
  bool all_controllers = false;  // user show --all-dcs
  bool dc_policy = false;        // dc --policy
  std::vector<std::string> statements;
  ImportOptions import;
  std::string statements_file;   // invoke -f: FILE, or - for standard input
  std::string batch_file;        // batch FILE|-
  std::vector<BatchLine> lines;  // batch: the lines read from batch_file
  bool keep_going = false;       // invoke and batch: run past a failure
  std::string passwords_from;    // --passwords-from: one password a line
  // user import: the rows read from `name` before the controller is asked.
  std::shared_ptr<ImportFile> import_file;

  // Whether the statements or lines come from standard input, which then
  // cannot carry the passwords as well.
  bool ReadsStandardInput() const {
    return statements_file == "-" || batch_file == "-";
  }
  // Whether any file the command reads is standard input.
  bool ReadsFileFromStandardInput() const {
    return ReadsStandardInput() ||
           (command == Command::kUserImport && name == "-");
  }
};

// One task-command line of a batch file, parsed as a command line is.
struct BatchLine {
  std::size_t number = 0;  // in the file, from 1
  std::string text;
  Request request;
};

}  // namespace corvane::cli
