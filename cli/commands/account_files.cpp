#include "cli/commands/account_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/exit_status.h"
#include "cli/inputs/csv.h"
#include "cli/inputs/import_file.h"
#include "cli/report/password_file.h"
#include "cli/report/times.h"
#include "netapi/unique_fd.h"
#include "tasks/account_export.h"
#include "tasks/provisioning.h"

namespace corvane::cli {
namespace {

std::string Joined(const std::vector<std::string>& parts,
                   const std::string& separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

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

// The generated-passwords file, created when the first password is to be
// generated, so that a rerun that makes no account needs no new file.
class LazyPasswordFile final : public tasks::GeneratedPasswords {
 public:
  explicit LazyPasswordFile(std::string path) : path_(std::move(path)) {}
  std::string Ready(bool dry_run) override {
    if (file_) return "";
    try {
      if (dry_run) {
        CheckPasswordFileIsNew(path_);
      } else {
        file_.emplace(path_);
      }
    } catch (const UsageError& error) {
      return error.what();
    }
    return "";
  }
  bool Keep(std::string_view name,
            const automation::Secret& password) override {
    return file_ && file_->Keep(name, password);
  }
  std::string Where() const override { return path_; }

 private:
  std::string path_;
  std::optional<PasswordFile> file_;
};

class Import {
 public:
  Import(const Request& request, const ObjectRef& domain, netapi::Api& api,
         Report& report, const tasks::ChangeEvents& events)
      : request_(request),
        options_(request.import),
        domain_(domain),
        api_(api),
        report_(report),
        events_(events) {}

  int Run() {
    // Read before the backend opened, unless this is a line of a batch.
    ImportFile file =
        request_.import_file
            ? std::move(*request_.import_file)
            : ReadImportFile(request_.name, options_.spreadsheet_safe,
                             options_.trust_pipe);
    for (const std::string& note : file.notes) PrintError("user import", note);
    std::unique_ptr<LazyPasswordFile> generated;
    if (!options_.generate_passwords.empty()) {
      generated =
          std::make_unique<LazyPasswordFile>(options_.generate_passwords);
    }
    tasks::Provisioning provisioning(
        domain_, api_,
        {options_.dry_run, options_.exist_ok, options_.reset_passwords,
         generated.get(), options_.generate_passwords, events_});
    // The groups are known before the first change: a row naming one that
    // does not exist is refused with the other problems.
    if (file.problems.empty() || options_.dry_run) {
      for (std::string& problem : provisioning.CheckGroups(file.rows)) {
        file.problems.push_back(std::move(problem));
      }
    }
    for (const std::string& problem : file.problems) {
      PrintError("", problem);
    }
    report_.Data("problems", file.problems);
    if (!file.problems.empty() && !options_.dry_run) {
      return report_.Fail("user import",
                          "rows that cannot be imported; nothing was done "
                          "(--dry-run shows what would be)");
    }
    ProgressBar progress(file.rows.size());
    std::size_t done = 0, refused = 0;
    for (ImportRow& row : file.rows) {
      if (row.refused) {
        ++refused;
      } else {
        Print(provisioning.Apply(row));
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
  void Print(const tasks::RowOutcome& outcome) {
    const bool failed = outcome.failed();
    const std::string row =
        "line " + std::to_string(outcome.line) + " " + outcome.user;
    // A dry run says what it would do, failed or not.
    const std::string done =
        (options_.dry_run ? "would " : "") + Joined(outcome.done, ", ");
    std::string text;
    if (!outcome.error.empty()) {
      text = "failed: " + outcome.error;
    } else if (outcome.not_done.empty()) {
      text = outcome.done.empty() ? "nothing to change" : done;
    } else {
      if (!outcome.done.empty()) text = done + "; ";
      text += "NOT done: " + Joined(outcome.not_done, "; ");
      if (!options_.dry_run) {
        text += options_.exist_ok
                    ? " (run again to complete it)"
                    : " (run again with --exist-ok to complete it)";
      }
    }
    report_.Line(row + ": " + text);
    nlohmann::ordered_json entry = {
        {"line", outcome.line},     {"user", outcome.user},
        {"action", outcome.action}, {"status", outcome.status()},
        {"done", outcome.done},     {"notDone", outcome.not_done}};
    if (failed) {
      ++failed_;
      PrintError(row, text);
      // A row that failed part way says why in `error` too.
      entry["error"] = outcome.error.empty() ? Joined(outcome.not_done, "; ")
                                             : outcome.error;
    }
    rows_.push_back(std::move(entry));
  }

  const Request& request_;
  const ImportOptions& options_;
  ObjectRef domain_;
  netapi::Api& api_;
  Report& report_;
  const tasks::ChangeEvents& events_;
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
    fd_ = netapi::UniqueFd(
        ::open(path_.c_str(),
               O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
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
  netapi::UniqueFd fd_;
  std::string text_;
};

}  // namespace

int RunUserImport(const Request& request, const ObjectRef& domain,
                  netapi::Api& api, Report& report,
                  const tasks::ChangeEvents& events) {
  return Import(request, domain, api, report, events).Run();
}

int RunUserExport(const Request& request, const ObjectRef& domain,
                  netapi::Api& api, Report& report) {
  const std::string path = request.name.empty() ? "-" : request.name;
  ExportTarget target(path, report);
  std::vector<std::string> header;
  for (const char* column : tasks::kAccountColumns) header.push_back(column);
  target.Append(Joined(header, ","));
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  const tasks::ExportResult exported =
      tasks::ExportAccounts(domain, api, [&](tasks::AccountRow account) {
        const std::string fields[] = {
            account.name,
            *account.full_name,
            *account.comment,
            *account.home_dir,
            *account.script,
            *account.disabled ? "yes" : "no",
            Joined(account.groups, ";"),
            account.must_change.value_or(false) ? "yes" : "no",
            account.expires ? IsoTime(*account.expires) : "never",
            account.last_logon ? IsoTime(*account.last_logon) : "never"};
        static_assert(std::size(fields) == std::size(tasks::kAccountColumns));
        std::vector<std::string> cells;
        nlohmann::ordered_json row = nlohmann::ordered_json::object();
        for (std::size_t i = 0; i < std::size(fields); ++i) {
          cells.push_back(CsvField(request.import.spreadsheet_safe
                                       ? SpreadsheetSafe(fields[i])
                                       : fields[i]));
          row[tasks::kAccountColumns[i]] = fields[i];
        }
        target.Append(Joined(cells, ","));
        rows.push_back(std::move(row));
      });
  if (!IsSuccess(exported.result)) {
    return report.Finish(exported.reading.empty()
                             ? "user export"
                             : "user export: " + exported.reading,
                         exported.result);
  }
  report.Data("users", std::move(rows));
  if (!target.Finish()) {
    return report.Fail("user export",
                       "cannot write " + path + ": " + std::strerror(errno));
  }
  return kExitSuccess;
}

}  // namespace corvane::cli
