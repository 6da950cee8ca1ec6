#include "cli/user_import.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <set>

#include "cli/csv.h"
#include "cli/exit_status.h"
#include "cli/generated_passwords.h"
#include "cli/import_file.h"
#include "cli/listing_walk.h"
#include "cli/status_table.h"
#include "cli/unique_fd.h"
#include "netapi/types.h"

namespace corvane::cli {
namespace {

constexpr std::int32_t kMemberInGroup = 1320;  // ERROR_MEMBER_IN_GROUP

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::string Joined(const std::vector<std::string>& parts,
                   const std::string& separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

// "ERROR 2221 ..." with the status's name and meaning added.
std::string Explained(const std::string& last_error) {
  const std::optional<std::int32_t> status = StatusInText(last_error);
  const StatusInfo* info = status ? FindStatus(*status) : nullptr;
  if (!info) return last_error;
  return last_error + " (" + std::string(info->name) + ": " +
         std::string(info->meaning) + ")";
}

// The members of each group a row names, read once per run.
class Memberships {
 public:
  Memberships(const ObjectRef& domain, netapi::Api& api)
      : groups_(GetObject(domain, u"Groups")),
        server_(Wide(GetText(domain, u"sDC"))),
        api_(api) {}

  // Selects `group`; the error text when it cannot be.
  std::string Select(const std::string& group) {
    PutValue(groups_, u"sGroupName", Wide(group));
    const std::string result = LastError(groups_);
    return IsSuccess(result) ? "" : Explained(result);
  }

  // Whether `user` is in `group`; Select(group) first.
  bool Has(const std::string& group, const std::string& user) {
    auto found = members_.find(Lower(group));
    if (found == members_.end()) {
      std::set<std::string> names;
      for (const std::string& name :
           CollectNames(api_, MemberBatches(api_, server_, Wide(group)),
                        u"user")
               .names) {
        names.insert(Lower(name));
      }
      found = members_.emplace(Lower(group), std::move(names)).first;
    }
    return found->second.contains(Lower(user));
  }

  // Adds `user` to the selected `group`; the error text when refused.
  std::string Add(const std::string& group, const std::string& user) {
    const ObjectRef users = GetObject(groups_, u"Users");
    const bool added = CallTest(users, u"Add", {Wide(user)});
    const std::string result = LastError(users);
    // Already a member (its primary group, say): what the row asks holds.
    const std::optional<std::int32_t> status = StatusInText(result);
    if (status == netapi::NERR_UserInGroup || status == kMemberInGroup) {
      return "";
    }
    if (!IsSuccess(result) && !result.empty()) return Explained(result);
    if (!added) return "the controller did not add it";
    if (auto found = members_.find(Lower(group)); found != members_.end()) {
      found->second.insert(Lower(user));
    }
    return "";
  }

 private:
  ObjectRef groups_;
  std::u16string server_;
  netapi::Api& api_;
  std::map<std::string, std::set<std::string>> members_;
};

// A count on standard error while the rows are worked through, when it is
// a terminal.
class ProgressBar {
 public:
  explicit ProgressBar(std::size_t total)
      : total_(total), show_(::isatty(STDERR_FILENO) != 0 && total > 1) {}
  ~ProgressBar() {
    if (show_) std::cerr << "\r\033[K" << std::flush;
  }
  void Step(std::size_t done) {
    if (!show_) return;
    constexpr std::size_t kWidth = 30;
    const std::size_t filled = done * kWidth / total_;
    std::cerr << "\r[" << std::string(filled, '#')
              << std::string(kWidth - filled, ' ') << "] " << done << "/"
              << total_ << std::flush;
  }

 private:
  std::size_t total_;
  bool show_;
};

class Import {
 public:
  Import(const Request& request, const ObjectRef& domain, netapi::Api& api,
         Report& report)
      : request_(request),
        options_(request.import),
        users_(GetObject(domain, u"Users")),
        groups_(domain, api),
        report_(report) {}

  int Run() {
    // Read before the backend opened, unless this is a line of a batch.
    ImportFile file = request_.import_file ? std::move(*request_.import_file)
                                           : ReadImportFile(request_.name);
    for (const std::string& problem : file.problems) {
      PrintError("", problem);
    }
    report_.Data("problems", file.problems);
    if (!file.problems.empty() && !options_.dry_run) {
      return report_.Fail("user import",
                          "rows that cannot be imported; nothing was done "
                          "(--dry-run shows what would be)");
    }
    if (!options_.generate_passwords.empty()) {
      if (options_.dry_run) {
        CheckPasswordFileIsNew(options_.generate_passwords);
      } else {
        generated_ =
            std::make_unique<PasswordFile>(options_.generate_passwords);
      }
    }
    ProgressBar progress(file.rows.size());
    std::size_t done = 0, refused = 0;
    for (ImportRow& row : file.rows) {
      if (row.refused) {
        ++refused;
      } else {
        Row(row);
      }
      progress.Step(++done);
    }
    report_.Data("rows", rows_);
    if (failed_ + refused == 0) return kExitSuccess;
    return report_.Fail("user import", std::to_string(failed_ + refused) +
                                           " of " +
                                           std::to_string(file.rows.size()) +
                                           " row(s) failed; see their lines");
  }

 private:
  struct Outcome {
    std::vector<std::string> done, not_done;
    std::string error;
  };

  void Row(ImportRow& row) {
    PutValue(users_, u"sUserName", Wide(row.name));
    const std::string selected = LastError(users_);
    Outcome outcome;
    std::string action;
    if (IsSuccess(selected)) {
      action = "update";
      if (!options_.exist_ok) {
        outcome.error =
            "the account exists; --exist-ok updates it to match the row";
      } else {
        Update(row, outcome);
      }
    } else if (StatusInText(selected) == 2221) {
      action = "create";
      Create(row, outcome);
    } else {
      action = "check";
      outcome.error = Explained(selected);
    }
    Print(row, action, outcome);
  }

  void Create(ImportRow& row, Outcome& outcome) {
    std::optional<automation::Secret> password = std::move(row.password);
    const bool generated = !password && (generated_ || options_.dry_run) &&
                           !options_.generate_passwords.empty();
    if (!password && !generated) {
      outcome.error =
          "a new account needs a password: give a password column (in a "
          "mode 600 file) or --generate-passwords FILE";
      return;
    }
    for (const std::string& group : row.groups) {
      if (options_.dry_run) CheckGroup(group, outcome);
    }
    if (options_.dry_run) {
      if (outcome.error.empty()) {
        outcome.done.push_back(generated ? "create with a generated password"
                                         : "create");
        for (const std::string& group : row.groups) {
          outcome.done.push_back("add to " + group);
        }
      }
      return;
    }
    if (generated) password = GeneratePassword();
    const automation::SecretRef shared =
        automation::Share(std::move(*password));
    const bool created =
        CallTest(users_, u"Add",
                 {Wide(row.name), shared, Wide(row.home_dir.value_or("")),
                  Wide(row.comment.value_or("")), Wide(row.script.value_or("")),
                  Wide(row.full_name.value_or("")), 1,
                  Variant::FromBool(row.disabled.value_or(false))});
    const std::string result = LastError(users_);
    if (!created) {
      outcome.error =
          IsSuccess(result) ? "the account was not created" : Explained(result);
      return;
    }
    outcome.done.push_back("created");
    if (generated) {
      if (generated_->Write(row.name, *shared)) {
        outcome.done.push_back("password written to " +
                               options_.generate_passwords);
      } else {
        outcome.not_done.push_back(
            "password written to " + options_.generate_passwords + " (" +
            std::strerror(errno) + "); set one with user password");
      }
    }
    if (!IsSuccess(result)) {
      // Made, but not wholly (the class reports a later step's failure).
      outcome.not_done.push_back("every attribute set: " + Explained(result));
    }
    for (const std::string& group : row.groups) AddToGroup(row, group, outcome);
  }

  void Update(ImportRow& row, Outcome& outcome) {
    struct Change {
      const std::optional<std::string>* wanted;
      std::u16string_view member;
      const char* label;
    };
    const Change changes[] = {{&row.full_name, u"sFullName", "full name"},
                              {&row.comment, u"sComment", "comment"},
                              {&row.home_dir, u"sHomeDir", "home dir"},
                              {&row.script, u"sScriptPath", "script"}};
    for (const Change& change : changes) {
      if (!*change.wanted ||
          GetText(users_, change.member) == **change.wanted) {
        continue;
      }
      Apply(outcome, std::string("set ") + change.label,
            [&] { PutValue(users_, change.member, Wide(**change.wanted)); });
    }
    if (row.disabled && GetFlag(users_, u"bDisabled") != *row.disabled) {
      Apply(outcome, *row.disabled ? "disable" : "enable", [&] {
        PutValue(users_, u"bDisabled", Variant::FromBool(*row.disabled));
      });
    }
    if (row.password) {
      const automation::SecretRef shared =
          automation::Share(std::move(*row.password));
      Apply(outcome, "set the password",
            [&] { PutValue(users_, u"sPassword", shared); });
    }
    for (const std::string& group : row.groups) {
      if (const std::string error = groups_.Select(group); !error.empty()) {
        outcome.not_done.push_back("add to " + group + ": " + error);
        continue;
      }
      if (!groups_.Has(group, row.name)) AddToGroup(row, group, outcome);
    }
  }

  template <typename Action>
  void Apply(Outcome& outcome, const std::string& what, Action action) {
    if (options_.dry_run) {
      outcome.done.push_back(what);
      return;
    }
    action();
    const std::string result = LastError(users_);
    if (IsSuccess(result)) {
      outcome.done.push_back(what);
    } else {
      outcome.not_done.push_back(what + ": " + Explained(result));
    }
  }

  void CheckGroup(const std::string& group, Outcome& outcome) {
    if (const std::string error = groups_.Select(group); !error.empty()) {
      outcome.error = "group " + group + ": " + error;
    }
  }

  void AddToGroup(const ImportRow& row, const std::string& group,
                  Outcome& outcome) {
    const std::string what = "add to " + group;
    if (options_.dry_run) {
      outcome.done.push_back(what);
      return;
    }
    std::string error = groups_.Select(group);
    if (error.empty()) error = groups_.Add(group, row.name);
    if (error.empty()) {
      outcome.done.push_back("added to " + group);
    } else {
      outcome.not_done.push_back(what + ": " + error);
    }
  }

  void Print(const ImportRow& row, const std::string& action,
             const Outcome& outcome) {
    const bool failed = !outcome.error.empty() || !outcome.not_done.empty();
    std::string status = failed ? "failed" : "ok";
    if (!failed && outcome.done.empty()) status = "unchanged";
    std::string text =
        "line " + std::to_string(row.line) + " " + row.name + ": ";
    if (options_.dry_run && !failed) {
      text += outcome.done.empty() ? "nothing to change"
                                   : "would " + Joined(outcome.done, ", ");
    } else if (!outcome.error.empty()) {
      text += "failed: " + outcome.error;
    } else if (outcome.not_done.empty()) {
      text += outcome.done.empty() ? "nothing to change"
                                   : Joined(outcome.done, ", ");
    } else {
      if (!outcome.done.empty()) text += Joined(outcome.done, ", ") + "; ";
      text += "NOT done: " + Joined(outcome.not_done, "; ") +
              " (run again with --exist-ok to complete it)";
    }
    report_.Line(text);
    if (failed) ++failed_;
    nlohmann::ordered_json entry = {
        {"line", row.line},     {"user", row.name},
        {"action", action},     {"status", status},
        {"done", outcome.done}, {"notDone", outcome.not_done}};
    if (!outcome.error.empty()) entry["error"] = outcome.error;
    rows_.push_back(std::move(entry));
  }

  const Request& request_;
  const ImportOptions& options_;
  ObjectRef users_;
  Memberships groups_;
  Report& report_;
  std::unique_ptr<PasswordFile> generated_;
  nlohmann::ordered_json rows_ = nlohmann::ordered_json::array();
  std::size_t failed_ = 0;
};

// Where `user export` writes: standard output through the report, or a new
// file.
class ExportTarget {
 public:
  ExportTarget(const std::string& path, Report& report)
      : path_(path), report_(report) {
    if (path_ == "-") return;
    fd_ = UniqueFd(::open(path_.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          0644));
    if (!fd_) {
      throw UsageError(
          "cannot create " + path_ + ": " + std::strerror(errno) +
          (errno == EEXIST ? " (it is not overwritten; give a new file)" : ""));
    }
  }

  void Append(const std::string& line) { text_ += line + "\n"; }

  // False, with the reason in errno, when the file could not be written.
  bool Finish() {
    if (path_ == "-") {
      report_.OwnText(text_);
      return true;
    }
    std::string_view left = text_;
    while (!left.empty()) {
      const ssize_t wrote = ::write(fd_.get(), left.data(), left.size());
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) return false;
      left.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return fd_.Close();
  }

 private:
  std::string path_;
  Report& report_;
  UniqueFd fd_;
  std::string text_;
};

}  // namespace

int RunUserImport(const Request& request, const ObjectRef& domain,
                  netapi::Api& api, Report& report) {
  return Import(request, domain, api, report).Run();
}

int RunUserExport(const Request& request, const ObjectRef& domain,
                  netapi::Api& api, Report& report) {
  const std::string path = request.name.empty() ? "-" : request.name;
  ExportTarget target(path, report);
  const ObjectRef users = GetObject(domain, u"Users");
  const std::u16string server = Wide(GetText(domain, u"sDC"));
  const CollectedNames accounts =
      CollectNames(api, UserBatches(api, server), u"user");
  if (!IsSuccess(accounts.result)) {
    return report.Finish("user export", accounts.result);
  }

  // Each user's groups, from the members of every group.
  std::map<std::string, std::vector<std::string>> groups_of;
  const CollectedNames groups =
      CollectNames(api, GroupBatches(api, server), u"group");
  if (!IsSuccess(groups.result)) {
    return report.Finish("user export: groups", groups.result);
  }
  for (const std::string& group : groups.names) {
    const CollectedNames members =
        CollectNames(api, MemberBatches(api, server, Wide(group)), u"user");
    if (!IsSuccess(members.result)) {
      return report.Finish("user export: group " + group, members.result);
    }
    for (const std::string& member : members.names) {
      groups_of[Lower(member)].push_back(group);
    }
  }
  const std::vector<std::string>& names = accounts.names;

  std::vector<std::string> header;
  for (const char* column : kAccountColumns) header.push_back(column);
  target.Append(Joined(header, ","));
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const std::string& name : names) {
    PutValue(users, u"sUserName", Wide(name));
    if (const std::string result = LastError(users); !IsSuccess(result)) {
      return report.Finish("user export: user " + name, result);
    }
    const std::string fields[] = {name,
                                  GetText(users, u"sFullName"),
                                  GetText(users, u"sComment"),
                                  GetText(users, u"sHomeDir"),
                                  GetText(users, u"sScriptPath"),
                                  GetFlag(users, u"bDisabled") ? "yes" : "no",
                                  Joined(groups_of[Lower(name)], ";")};
    std::vector<std::string> cells;
    nlohmann::ordered_json row = nlohmann::ordered_json::object();
    for (std::size_t i = 0; i < std::size(fields); ++i) {
      cells.push_back(CsvField(fields[i]));
      row[kAccountColumns[i]] = fields[i];
    }
    target.Append(Joined(cells, ","));
    rows.push_back(std::move(row));
  }
  report.Data("users", std::move(rows));
  if (!target.Finish()) {
    return report.Fail("user export",
                       "cannot write " + path + ": " + std::strerror(errno));
  }
  return kExitSuccess;
}

}  // namespace corvane::cli
