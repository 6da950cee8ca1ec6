// The Pythonic face's work that goes through the task layer: listings
// batch by batch, an account's facts and groups, bulk provisioning row by
// row, and the meaning of a platform status.
#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>

#include "automation/late_bound.h"
#include "automation/text.h"
#include "netapi/sid_text.h"
#include "python/src/bindings.h"
#include "python/src/session.h"
#include "python/src/values.h"
#include "tasks/account_changes.h"
#include "tasks/account_facts.h"
#include "tasks/generated_password.h"
#include "tasks/listings.h"
#include "tasks/provisioning.h"
#include "tasks/status_table.h"

namespace py = pybind11;

namespace corvane::python {
namespace {

using automation::Widen;

// One real call of a batch call, then the end reported: a batch walk of
// the tasks run over it takes one batch, so that each step of a listing
// holds one batch and Python gets control (and its signals) between them.
class OneBatch {
 public:
  explicit OneBatch(common::BatchCall& batches) : batches_(batches) {}

  common::BatchCall Call() {
    return [this](netapi::LPBYTE* buffer, netapi::LPDWORD entries_read,
                  netapi::LPDWORD total_entries) {
      if (called_) {
        *entries_read = 0;
        *total_entries = 0;
        return static_cast<netapi::NET_API_STATUS>(netapi::NERR_Success);
      }
      called_ = true;
      status_ = batches_(buffer, entries_read, total_entries);
      read_ = *entries_read;
      total_ = *total_entries;
      return status_;
    };
  }
  // Whether the batch taken was the listing's last.
  bool Last() const {
    return status_ == netapi::NERR_Success || read_ == total_ || read_ == 0;
  }

 private:
  common::BatchCall& batches_;
  bool called_ = false;
  netapi::NET_API_STATUS status_ = 0;
  netapi::DWORD read_ = 0, total_ = 0;
};

// A listing of names read one platform batch per step (tasks::WalkNames
// over OneBatch).
class Listing {
 public:
  Listing(std::shared_ptr<Session> session, common::BatchCall batches,
          std::u16string kind)
      : session_(std::move(session)),
        batches_(std::move(batches)),
        kind_(std::move(kind)) {}

  // The next batch's names; None at the end. Raises RuntimeError with the
  // failed call's text.
  py::object Next() {
    if (done_) return py::none();
    std::vector<std::string> names;
    std::string result;
    {
      Session::Use use(*session_);
      py::gil_scoped_release release;
      OneBatch once(batches_);
      result = tasks::WalkNames(
          session_->api(), once.Call(), kind_,
          [&](std::string name) { names.push_back(std::move(name)); });
      done_ = result != "SUCCESS" || once.Last();
    }
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    if (result != "SUCCESS") return py::make_tuple(py::none(), result);
    return py::make_tuple(py::cast(names), py::none());
  }

 private:
  std::shared_ptr<Session> session_;
  common::BatchCall batches_;
  std::u16string kind_;
  bool done_ = false;
};

py::object Time(const std::optional<tasks::Time>& time) {
  if (!time) return py::none();
  return py::int_(time->time_since_epoch().count());
}

py::object Facts(const std::shared_ptr<Session>& session, const std::string& dc,
                 const std::string& user) {
  tasks::Read<tasks::AccountFacts> read;
  {
    Session::Use use(*session);
    py::gil_scoped_release release;
    read = tasks::ReadAccountFacts(session->api(), Widen(dc), Widen(user));
  }
  if (!read.value) return py::make_tuple(py::none(), read.error);
  const tasks::AccountFacts& f = *read.value;
  using automation::ToUtf8;
  py::dict facts;
  facts["name"] = ToUtf8(f.name);
  facts["full_name"] = ToUtf8(f.full_name);
  facts["comment"] = ToUtf8(f.comment);
  facts["home_dir"] = ToUtf8(f.home_dir);
  facts["script_path"] = ToUtf8(f.script_path);
  facts["privilege"] = f.privilege;
  facts["flags"] = f.flags;
  facts["disabled"] = f.disabled;
  facts["locked_out"] = f.locked_out;
  facts["last_logon"] = Time(f.last_logon);
  facts["password_last_set"] = Time(f.password_last_set);
  facts["password_expires"] = Time(f.password_expires);
  facts["account_expires"] = Time(f.account_expires);
  facts["must_change_password"] = f.must_change_password;
  facts["bad_password_count"] = f.bad_password_count;
  facts["primary_group_id"] = f.primary_group_id;
  facts["primary_group"] = ToUtf8(f.primary_group);
  facts["sid"] = f.sid.empty() ? std::string() : netapi::SidText(f.sid);
  return py::make_tuple(facts, py::none());
}

py::object Groups(const std::shared_ptr<Session>& session,
                  const std::string& dc, const std::string& user) {
  tasks::Read<tasks::UserGroups> read;
  {
    Session::Use use(*session);
    py::gil_scoped_release release;
    read = tasks::ReadUserGroups(session->api(), Widen(dc), Widen(user));
  }
  if (!read.value) return py::make_tuple(py::none(), read.error);
  py::list names;
  for (const auto& name : read.value->names) {
    names.append(automation::ToUtf8(name));
  }
  return py::make_tuple(
      py::make_tuple(names, automation::ToUtf8(read.value->primary)),
      py::none());
}

// Changes under `domain` told as its own are: its eLogging, its events.
tasks::ChangeEvents EventsUnder(const ObjectHandle& domain) {
  return {&domain.session->events(),
          automation::GetNumber(domain.object, u"eLogging")};
}

// A change the contract has no member for, made through the tasks on the
// domain's controller with the interpreter's lock released; "SUCCESS" or
// the failed call's text.
template <typename Change>
std::string Changed(const ObjectHandle& domain, Change change) {
  Session::Use use(*domain.session);
  const std::u16string dc = Widen(automation::GetText(domain.object, u"sDC"));
  const tasks::ChangeEvents events = EventsUnder(domain);
  py::gil_scoped_release release;
  return change(domain.session->api(), dc, events);
}

std::optional<tasks::Time> TimeFrom(const py::object& seconds) {
  if (seconds.is_none()) return std::nullopt;
  return tasks::Time(std::chrono::seconds(seconds.cast<std::int64_t>()));
}

py::dict ListedDict(const tasks::ListedAccount& a) {
  using automation::ToUtf8;
  py::dict account;
  account["name"] = ToUtf8(a.name);
  account["full_name"] = ToUtf8(a.full_name);
  account["comment"] = ToUtf8(a.comment);
  account["disabled"] = a.disabled;
  account["locked_out"] = a.locked_out;
  account["password_expired"] = a.password_expired;
  account["must_change_password"] = a.must_change_password;
  account["account_expired"] = a.account_expired;
  account["last_logon"] = Time(a.last_logon);
  account["password_last_set"] = Time(a.password_last_set);
  account["account_expires"] = Time(a.account_expires);
  account["bad_password_count"] = a.bad_password_count;
  return account;
}

// The accounts with their facts, one platform batch per step (level 3),
// those the filter keeps; as Listing does names.
class AccountListing {
 public:
  AccountListing(std::shared_ptr<Session> session, common::BatchCall batches,
                 tasks::AccountFilter filter)
      : session_(std::move(session)),
        batches_(std::move(batches)),
        filter_(filter) {}

  py::object Next() {
    if (done_) return py::none();
    std::vector<tasks::ListedAccount> accounts;
    std::string result;
    {
      Session::Use use(*session_);
      py::gil_scoped_release release;
      OneBatch once(batches_);
      result = tasks::WalkAccounts(session_->api(), once.Call(),
                                   [&](tasks::ListedAccount account) {
                                     if (filter_.Matches(account))
                                       accounts.push_back(std::move(account));
                                   });
      done_ = result != "SUCCESS" || once.Last();
    }
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    if (result != "SUCCESS") return py::make_tuple(py::none(), result);
    py::list found;
    for (const tasks::ListedAccount& account : accounts) {
      found.append(ListedDict(account));
    }
    return py::make_tuple(found, py::none());
  }

 private:
  std::shared_ptr<Session> session_;
  common::BatchCall batches_;
  tasks::AccountFilter filter_;
  bool done_ = false;
};

// Generated passwords go to the caller's callable as a bytearray it may
// wipe; nothing else keeps them.
class PasswordsToCallable final : public tasks::GeneratedPasswords {
 public:
  explicit PasswordsToCallable(py::object keep) : keep_(std::move(keep)) {}
  bool Keep(std::string_view name,
            const automation::Secret& password) override {
    py::gil_scoped_acquire gil;
    std::optional<automation::SecretUtf8> utf8 =
        automation::ToUtf8Secret(password.view());
    if (!utf8) return false;
    py::bytearray text(utf8->c_str(), utf8->size());
    try {
      keep_(std::string(name), text);
    } catch (py::error_already_set& error) {
      WipeIfBytearray(text);
      error.discard_as_unraisable("corvane generated password");
      errno = EIO;
      return false;
    }
    return true;
  }
  std::string Where() const override { return "the caller"; }

 private:
  py::object keep_;
};

std::optional<std::string> OptionalText(const py::dict& row, const char* key) {
  if (!row.contains(key) || row[key].is_none()) return std::nullopt;
  return row[key].cast<std::string>();
}

tasks::AccountRow RowFrom(const py::dict& row, std::size_t line) {
  tasks::AccountRow account;
  account.line = line;
  account.name = row.contains("name") ? row["name"].cast<std::string>() : "";
  account.full_name = OptionalText(row, "full_name");
  account.comment = OptionalText(row, "comment");
  account.home_dir = OptionalText(row, "home_dir");
  account.script = OptionalText(row, "script");
  if (row.contains("disabled") && !row["disabled"].is_none()) {
    account.disabled = row["disabled"].cast<bool>();
  }
  if (row.contains("groups")) {
    account.groups = row["groups"].cast<std::vector<std::string>>();
  }
  if (row.contains("password") && !row["password"].is_none()) {
    account.password = SecretFrom(row["password"]);
  }
  if (row.contains("must_change_password") &&
      !row["must_change_password"].is_none()) {
    account.must_change = row["must_change_password"].cast<bool>();
  }
  // Present: the expiry is set (None: never); absent: left alone.
  if (row.contains("account_expires")) {
    account.expiry_given = true;
    account.expires = TimeFrom(row["account_expires"]);
  }
  return account;
}

py::dict OutcomeDict(const tasks::RowOutcome& outcome) {
  py::dict result;
  result["line"] = outcome.line;
  result["user"] = outcome.user;
  result["action"] = outcome.action;
  result["done"] = outcome.done;
  result["not_done"] = outcome.not_done;
  result["error"] = outcome.error;
  result["status"] = outcome.status();
  return result;
}

// One run of bulk provisioning over one domain object.
class Import {
 public:
  Import(const ObjectHandle& domain, bool dry_run, bool exist_ok,
         bool reset_passwords, py::object keep)
      : domain_(domain),
        keep_(keep.is_none() ? nullptr
                             : std::make_unique<PasswordsToCallable>(keep)) {
    tasks::ProvisioningOptions options;
    options.dry_run = dry_run;
    options.exist_ok = exist_ok;
    options.reset_passwords = reset_passwords;
    // Passwords are generated only for a caller who takes them, on a dry
    // run as on a real one.
    options.generated = keep_.get();
    if (keep_) options.generated_to = "the caller";
    Session::Use use(*domain_.session);
    options.events = EventsUnder(domain_);
    py::gil_scoped_release release;
    provisioning_.emplace(domain_.object, domain_.session->api(), options);
  }

  // Checks every row first; a refused row's messages name it.
  py::tuple Check(py::list rows) {
    rows_.clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      rows_.push_back(RowFrom(rows[i].cast<py::dict>(), i + 1));
    }
    // Checked first: the check marks the refused rows. Then the groups the
    // rows name, before anything is changed.
    std::vector<std::string> problems = tasks::CheckRows(rows_);
    {
      Session::Use use(*domain_.session);
      py::gil_scoped_release release;
      for (std::string& problem : provisioning_->CheckGroups(rows_)) {
        problems.push_back(std::move(problem));
      }
    }
    return py::make_tuple(std::move(problems), Refused());
  }

  py::dict Apply(std::size_t index) {
    tasks::AccountRow& row = rows_.at(index);
    tasks::RowOutcome outcome;
    {
      Session::Use use(*domain_.session);
      py::gil_scoped_release release;
      outcome = provisioning_->Apply(row);
    }
    return OutcomeDict(outcome);
  }

 private:
  std::vector<bool> Refused() const {
    std::vector<bool> refused;
    for (const auto& row : rows_) refused.push_back(row.refused);
    return refused;
  }

  ObjectHandle domain_;
  std::unique_ptr<PasswordsToCallable> keep_;
  std::optional<tasks::Provisioning> provisioning_;
  std::vector<tasks::AccountRow> rows_;
};

py::object Status(const std::string& last_error) {
  const std::optional<std::int32_t> number = tasks::StatusInText(last_error);
  const tasks::StatusInfo* info = number ? tasks::FindStatus(*number) : nullptr;
  py::object status = number ? py::object(py::int_(*number)) : py::none();
  if (!info) {
    return py::make_tuple(status, py::none(), py::none(), py::none());
  }
  return py::make_tuple(status, std::string(info->name),
                        std::string(info->meaning), std::string(info->hint));
}

}  // namespace

void BindTasks(py::module_& m) {
  py::class_<Listing>(m, "Listing").def("next", &Listing::Next);
  m.def("list_names", [](std::shared_ptr<Session> session,
                         const std::string& kind, const std::string& dc,
                         const std::string& group) {
    netapi::Api& api = session->api();
    if (kind == "users") {
      return Listing(session, tasks::UserBatches(api, Widen(dc)), u"user");
    }
    if (kind == "groups") {
      return Listing(session, tasks::GroupBatches(api, Widen(dc)), u"group");
    }
    return Listing(session, tasks::MemberBatches(api, Widen(dc), Widen(group)),
                   u"user");
  });
  py::class_<AccountListing>(m, "AccountListing")
      .def("next", &AccountListing::Next);
  m.def("list_accounts", [](std::shared_ptr<Session> session,
                            const std::string& dc, bool disabled, bool locked,
                            bool expired, bool never_logged_on) {
    const tasks::AccountFilter filter{disabled, locked, expired,
                                      never_logged_on};
    // Where the controller can leave out what the filters drop, it does.
    netapi::AccountSearch* search =
        disabled || locked || expired || never_logged_on ? session->search()
                                                         : nullptr;
    return AccountListing(
        session,
        search != nullptr
            ? tasks::MatchingAccountBatches(*search, Widen(dc), filter.Query())
            : tasks::AccountBatches(session->api(), Widen(dc)),
        filter);
  });
  using Events = const tasks::ChangeEvents&;
  m.def("rename_user", [](const ObjectHandle& domain, const std::string& user,
                          const std::string& new_name) {
    return Changed(domain, [&](netapi::Api& api, const std::u16string& dc,
                               Events events) {
      return tasks::RenameUser(api, dc, Widen(user), Widen(new_name), events);
    });
  });
  m.def("rename_group", [](const ObjectHandle& domain, const std::string& group,
                           const std::string& new_name) {
    return Changed(domain, [&](netapi::Api& api, const std::u16string& dc,
                               Events events) {
      return tasks::RenameGroup(api, dc, Widen(group), Widen(new_name), events);
    });
  });
  m.def("set_account_expiry", [](const ObjectHandle& domain,
                                 const std::string& user, py::object seconds) {
    const std::optional<tasks::Time> expires = TimeFrom(seconds);
    return Changed(
        domain, [&](netapi::Api& api, const std::u16string& dc, Events events) {
          return tasks::SetAccountExpiry(api, dc, Widen(user), expires, events);
        });
  });
  m.def("set_must_change_password", [](const ObjectHandle& domain,
                                       const std::string& user,
                                       bool must_change) {
    return Changed(
        domain, [&](netapi::Api& api, const std::u16string& dc, Events events) {
          return tasks::SetMustChangePassword(api, dc, Widen(user), must_change,
                                              events);
        });
  });
  // A generated password as a bytearray the caller may wipe.
  m.def("generate_password", [] {
    const automation::Secret password = tasks::GeneratePassword();
    std::optional<automation::SecretUtf8> utf8 =
        automation::ToUtf8Secret(password.view());
    return py::bytearray(utf8->c_str(), utf8->size());
  });
  m.def("account_facts", &Facts);
  m.def("user_groups", &Groups);
  m.def("status_of", &Status);
  m.def("explained", &tasks::Explained);
  m.def("wipe", [](py::handle value) { WipeIfBytearray(value); });
  py::class_<Import>(m, "Import")
      .def(py::init<const ObjectHandle&, bool, bool, bool, py::object>())
      .def("check", &Import::Check)
      .def("apply", &Import::Apply);
}

}  // namespace corvane::python
