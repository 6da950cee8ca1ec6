#include "cli/report/streamed_names.h"

#include "automation/text.h"
#include "cli/backends/backend.h"
#include "cli/inputs/csv.h"
#include "cli/report/times.h"

namespace corvane::cli {

std::string ShowNames(netapi::Api& api, const common::BatchCall& next_batch,
                      Report& report, const std::string& key,
                      std::u16string_view kind) {
  report.List(key, {});
  const std::string result = tasks::WalkNames(
      api, next_batch, kind,
      [&](std::string name) { report.StreamName(key, std::move(name)); },
      [&] { report.FlushNames(); });
  report.FlushNames();
  return result;
}

namespace {

std::string YesNo(bool value) { return value ? "yes" : "no"; }

std::string Csv(const std::optional<tasks::Time>& time) {
  return time ? IsoTime(*time) : "never";
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

constexpr const char* kCsvHeader =
    "name,full name,disabled,locked out,password expired,must change,"
    "account expires,last logon,password last set";

}  // namespace

int ShowUserListing(netapi::Api& api, const std::u16string& dc,
                    const ListOptions& options, Report& report) {
  const tasks::AccountFilter filter{options.disabled, options.locked,
                                    options.expired, options.never_logged_on};
  const bool columns = options.long_form || options.csv;
  nlohmann::ordered_json objects = nlohmann::ordered_json::array();
  if (!columns || !report.json()) report.List("users", {});
  if (options.csv) {
    report.StreamName("users", kCsvHeader);
  } else if (options.long_form && !report.json()) {
    report.StreamName("users", Padded("NAME", 21) +
                                   "DISABLED LOCKED PWD-EXPIRED "
                                   "MUST-CHANGE ACCOUNT-EXPIRES" +
                                   std::string(10, ' ') + "LAST-LOGON" +
                                   std::string(15, ' ') + "FULL-NAME");
  }
  // Where the controller can leave out what the filters drop, it does.
  netapi::AccountSearch* search =
      options.filtered() ? BackendSearch() : nullptr;
  const std::string result = tasks::WalkAccounts(
      api,
      search != nullptr
          ? tasks::MatchingAccountBatches(*search, dc, filter.Query())
          : tasks::AccountBatches(api, dc),
      [&](tasks::ListedAccount account) {
        if (!filter.Matches(account)) return;
        const std::string name = automation::ToUtf8(account.name);
        const std::string full_name = automation::ToUtf8(account.full_name);
        if (options.csv) {
          const std::string cells[] = {name,
                                       full_name,
                                       YesNo(account.disabled),
                                       YesNo(account.locked_out),
                                       YesNo(account.password_expired),
                                       YesNo(account.must_change_password),
                                       Csv(account.account_expires),
                                       Csv(account.last_logon),
                                       Csv(account.password_last_set)};
          std::string line;
          for (const std::string& cell : cells) {
            if (!line.empty()) line += ',';
            line += CsvField(cell);
          }
          report.StreamName("users", line);
        } else if (columns && report.json()) {
          objects.push_back(
              {{"name", name},
               {"fullName", full_name},
               {"disabled", account.disabled},
               {"lockedOut", account.locked_out},
               {"passwordExpired", account.password_expired},
               {"mustChangePassword", account.must_change_password},
               {"accountExpired", account.account_expired},
               {"accountExpires", JsonTime(account.account_expires)},
               {"lastLogon", JsonTime(account.last_logon)},
               {"passwordLastSet", JsonTime(account.password_last_set)},
               {"badPasswordCount", account.bad_password_count}});
        } else if (columns) {
          report.StreamName(
              "users",
              Padded(name, 20) + " " + Padded(YesNo(account.disabled), 9) +
                  Padded(YesNo(account.locked_out), 7) +
                  Padded(YesNo(account.password_expired), 12) +
                  Padded(YesNo(account.must_change_password), 12) +
                  Padded(LocalTimeOrNever(account.account_expires), 25) +
                  Padded(LocalTimeOrNever(account.last_logon), 25) + full_name);
        } else {
          report.StreamName("users", name);
        }
      },
      [&] { report.FlushNames(); });
  report.FlushNames();
  if (columns && report.json()) report.Data("users", std::move(objects));
  return report.Finish("user list", result);
}

int ShowLastLogonListing(netapi::Api& api, const std::u16string& dc,
                         netapi::ControllerLogons& logons,
                         std::span<const tasks::DomainController> controllers,
                         bool csv, Report& report) {
  report.List("users", {});
  if (csv) {
    report.StreamName("users", "name,last logon,controller");
  } else if (!report.json()) {
    report.StreamName(
        "users", Padded("NAME", 21) + Padded("LAST-LOGON", 25) + "CONTROLLER");
  }
  const tasks::LastLogonListing listing = tasks::WalkLastLogons(
      api, tasks::UserBatches(api, dc), logons, controllers,
      [&](std::string name, const tasks::LatestLogon& latest) {
        if (csv) {
          report.StreamName("users", CsvField(name) + "," + Csv(latest.time) +
                                         "," + CsvField(latest.controller));
          return;
        }
        const nlohmann::ordered_json controller =
            latest.time ? nlohmann::ordered_json(latest.controller)
                        : nlohmann::ordered_json(nullptr);
        std::string line = Padded(name, 20) + " " +
                           Padded(LocalTimeOrNever(latest.time), 25) +
                           (latest.time ? latest.controller : "-");
        report.StreamEntry("users",
                           {{"name", std::move(name)},
                            {"lastLogon", JsonTime(latest.time)},
                            {"controller", controller}},
                           line);
      },
      [&] { report.FlushNames(); });
  report.FlushNames();
  nlohmann::ordered_json asked = nlohmann::ordered_json::array();
  std::string unread;
  for (const tasks::DomainController& controller : controllers) {
    nlohmann::ordered_json entry = {{"name", controller.name}, {"read", true}};
    for (const tasks::ControllerFailure& failure : listing.failures) {
      if (failure.controller != controller.name) continue;
      entry["read"] = false;
      entry["error"] = failure.error;
      unread += (unread.empty() ? "" : "; ") + failure.controller + ": " +
                failure.error;
    }
    asked.push_back(std::move(entry));
  }
  report.Data("controllers", std::move(asked));
  if (listing.result != "SUCCESS") {
    return report.Finish("user list", listing.result);
  }
  if (!unread.empty()) {
    return report.Fail(
        "user list --last-logon",
        "the logons of these controllers are missing: " + unread);
  }
  return report.Finish("user list", listing.result);
}

}  // namespace corvane::cli
