#include "netapi/simulated/state_file.h"

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <vector>

#include "automation/text.h"
#include "netapi/sid_text.h"
#include "netapi/simulated/demo_domain.h"

namespace corvane::netapi::simulated {
namespace {

using nlohmann::json;

constexpr std::string_view kFormat = "corvane-simulated-state";
constexpr std::uint64_t kVersion = 1;

std::string Utf8(std::u16string_view text) { return automation::ToUtf8(text); }

std::u16string Utf16(const json& value, std::string_view what) {
  std::optional<std::u16string> text =
      automation::FromUtf8(value.get<std::string>());
  if (!text) {
    throw StateFileError("invalid UTF-8 in " + std::string(what));
  }
  return std::move(*text);
}

std::string SidText(const Sid& sid) {
  std::string text = netapi::SidText(sid);
  if (text.empty()) throw StateFileError("a stored SID is malformed");
  return text;
}

std::uint64_t ParseNumber(std::string_view digits, std::uint64_t max) {
  if (digits.empty() || digits.size() > 20) {
    throw StateFileError("malformed SID number");
  }
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') throw StateFileError("malformed SID number");
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > max) throw StateFileError("SID number out of range");
  }
  return value;
}

Sid ParseSid(const std::string& text) {
  if (text.rfind("S-1-", 0) != 0) {
    throw StateFileError("malformed SID: " + text);
  }
  std::vector<std::string_view> parts;
  std::string_view rest = std::string_view(text).substr(4);
  while (true) {
    const auto dash = rest.find('-');
    parts.push_back(rest.substr(0, dash));
    if (dash == std::string_view::npos) break;
    rest.remove_prefix(dash + 1);
  }
  if (parts.size() < 2 || parts.size() > 16) {
    throw StateFileError("malformed SID: " + text);
  }
  const std::uint64_t authority = ParseNumber(parts[0], 0xFFFFFFFFFFFFull);
  std::vector<std::uint32_t> subs;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    subs.push_back(
        static_cast<std::uint32_t>(ParseNumber(parts[i], 0xFFFFFFFF)));
  }
  return MakeSid(authority, std::move(subs));
}

// The sub-authorities after S-1-5 of a saved domain SID.
std::vector<std::uint32_t> DomainSidSubs(const std::string& text) {
  const Sid sid = ParseSid(text);
  if (sid.size() < 8 || sid[7] != 5) {
    throw StateFileError("not an NT domain SID: " + text);
  }
  std::vector<std::uint32_t> subs;
  for (std::size_t i = 8; i + 4 <= sid.size(); i += 4) {
    subs.push_back(static_cast<std::uint32_t>(sid[i]) | sid[i + 1] << 8 |
                   sid[i + 2] << 16 |
                   static_cast<std::uint32_t>(sid[i + 3]) << 24);
  }
  return subs;
}

json SaveDirectory(const Directory& directory) {
  json users = json::array();
  for (const Account& account : directory.users()) {
    users.push_back({{"name", Utf8(account.name)},
                     {"password", Utf8(account.password)},
                     {"priv", account.priv},
                     {"homeDir", Utf8(account.home_dir)},
                     {"comment", Utf8(account.comment)},
                     {"flags", account.flags},
                     {"scriptPath", Utf8(account.script_path)},
                     {"fullName", Utf8(account.full_name)},
                     {"sid", SidText(account.sid)},
                     {"lastLogon", account.last_logon},
                     {"passwordLastSet", account.password_last_set},
                     {"accountExpires", account.acct_expires},
                     {"badPasswordCount", account.bad_pw_count},
                     {"primaryGroupId", account.primary_group_id},
                     {"passwordExpired", account.password_expired}});
  }
  json groups = json::array();
  for (const Group& group : directory.groups()) {
    json members = json::array();
    for (const std::u16string& member : group.members) {
      members.push_back(Utf8(member));
    }
    groups.push_back({{"name", Utf8(group.name)},
                      {"comment", Utf8(group.comment)},
                      {"members", std::move(members)},
                      {"sid", SidText(group.sid)}});
  }
  return {{"server", Utf8(directory.server())},
          {"domain", Utf8(directory.domain())},
          {"domainSid", SidText(directory.domain_sid())},
          {"nextRid", directory.next_rid()},
          {"maxPasswordAge", directory.max_password_age()},
          {"users", std::move(users)},
          {"groups", std::move(groups)}};
}

// nlohmann keeps the last of two equal keys in an object: a document with
// one is refused instead, as its meaning is not clear. The DOM builder is
// extended rather than given a callback, which would take twice as long.
class DuplicateKeyCheck : public nlohmann::detail::json_sax_dom_parser<json> {
 public:
  using Base = nlohmann::detail::json_sax_dom_parser<json>;
  explicit DuplicateKeyCheck(json& result) : Base(result, true) {}

  bool start_object(std::size_t elements) {
    object_starts_.push_back(keys_.size());
    return Base::start_object(elements);
  }
  bool end_object() {
    keys_.resize(object_starts_.back());
    object_starts_.pop_back();
    return Base::end_object();
  }
  bool key(std::string& name) {
    // An object holds a few keys: a look along them beats a set, which
    // would allocate for every key of every account.
    const auto first =
        keys_.begin() + static_cast<std::ptrdiff_t>(object_starts_.back());
    if (std::find(first, keys_.end(), name) != keys_.end() && !duplicate_) {
      duplicate_ = name;
    }
    keys_.push_back(name);
    return Base::key(name);
  }
  const std::optional<std::string>& duplicate() const { return duplicate_; }

 private:
  // The keys of every open object, innermost last, and where each starts.
  std::vector<std::string> keys_;
  std::vector<std::size_t> object_starts_;
  std::optional<std::string> duplicate_;
};

json ParseWithoutDuplicateKeys(std::string_view document) {
  json parsed;
  DuplicateKeyCheck check(parsed);
  json::sax_parse(document, &check);
  if (check.duplicate()) {
    throw StateFileError("the key \"" +
                         automation::EscapeControls(*check.duplicate()) +
                         "\" appears twice in one object");
  }
  return parsed;
}

// nlohmann converts any number to any arithmetic type without complaint:
// a negative one to unsigned, a fraction by cutting it, and one out of
// range undefined. Only whole numbers parsed as such within [0, max] pass.
std::uint64_t WholeNumber(const json& value, std::uint64_t max,
                          std::string_view what) {
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() > max) {
    // Only a number is shown: dumping a deeply nested value would
    // recurse as deep.
    throw StateFileError(
        "expected a whole number from 0 to " + std::to_string(max) + " for " +
        std::string(what) + ", found " +
        (value.is_number()
             ? value.dump()
             : std::string("a value of type ") + value.type_name()));
  }
  return value.get<std::uint64_t>();
}

DWORD Dword(const json& value, std::string_view what) {
  return static_cast<DWORD>(WholeNumber(value, 0xFFFFFFFF, what));
}

// `users[3] ("name")`, as an error message names an entry.
std::string Entry(const std::string& where, std::size_t index,
                  std::u16string_view name) {
  return where + "[" + std::to_string(index) + "] (\"" +
         automation::EscapeControls(Utf8(name)) + "\")";
}

// A name as a directory may hold it: a controller may already hold one
// its own calls would refuse (a control character, say), but none holds
// an empty name, one cut short by a NUL, or a second account of the same
// name whatever the letter case, users and groups together.
void CheckName(std::u16string_view name, const std::string& entry,
               std::set<std::u16string>& taken) {
  if (name.empty()) throw StateFileError(entry + ": an empty name");
  if (name.find(u'\0') != std::u16string_view::npos) {
    throw StateFileError(entry + ": a name holds a NUL character");
  }
  if (!taken.insert(NameKey(name)).second) {
    throw StateFileError(entry + ": another account has the same name");
  }
}

void RestoreDirectory(const json& saved, Directory& directory,
                      const std::string& where) {
  if (SidText(directory.domain_sid()) !=
      saved.at("domainSid").get<std::string>()) {
    throw StateFileError("the SID of " + Utf8(directory.domain()) +
                         " does not match the one saved");
  }
  directory.set_next_rid(Dword(saved.at("nextRid"), "nextRid"));
  if (saved.contains("maxPasswordAge")) {
    directory.set_max_password_age(
        Dword(saved.at("maxPasswordAge"), "maxPasswordAge"));
  }

  std::set<std::u16string> names;
  std::vector<Account> users;
  for (const json& user : saved.at("users")) {
    Account account;
    account.name = Utf16(user.at("name"), "a user name");
    const std::string entry =
        Entry(where + ".users", users.size(), account.name);
    CheckName(account.name, entry, names);
    account.password = Utf16(user.at("password"), "a password");
    account.priv = Dword(user.at("priv"), "priv");
    if (account.priv > USER_PRIV_ADMIN) {
      throw StateFileError(entry + ": priv " + std::to_string(account.priv) +
                           " is none of 0 (guest), 1 (user), 2 (admin)");
    }
    account.home_dir = Utf16(user.at("homeDir"), "a home directory");
    account.comment = Utf16(user.at("comment"), "a comment");
    account.flags = Dword(user.at("flags"), "flags");
    account.script_path = Utf16(user.at("scriptPath"), "a script path");
    account.full_name = Utf16(user.at("fullName"), "a full name");
    account.sid = ParseSid(user.at("sid").get<std::string>());
    // Account facts a state saved before they were kept leaves at their
    // defaults.
    for (auto [key, fact] : {std::pair{"lastLogon", &account.last_logon},
                             {"passwordLastSet", &account.password_last_set},
                             {"accountExpires", &account.acct_expires},
                             {"badPasswordCount", &account.bad_pw_count},
                             {"primaryGroupId", &account.primary_group_id}}) {
      if (user.contains(key)) *fact = Dword(user.at(key), key);
    }
    if (user.contains("passwordExpired")) {
      account.password_expired = user.at("passwordExpired").get<bool>();
    }
    users.push_back(std::move(account));
  }
  std::vector<Group> groups;
  for (const json& saved_group : saved.at("groups")) {
    Group group;
    group.name = Utf16(saved_group.at("name"), "a group name");
    CheckName(group.name, Entry(where + ".groups", groups.size(), group.name),
              names);
    group.comment = Utf16(saved_group.at("comment"), "a group comment");
    for (const json& member : saved_group.at("members")) {
      group.members.push_back(Utf16(member, "a member name"));
    }
    group.sid = ParseSid(saved_group.at("sid").get<std::string>());
    groups.push_back(std::move(group));
  }
  directory.users() = std::move(users);
  directory.groups() = std::move(groups);
}

}  // namespace

SimulatedNetwork NewDemoNetwork() {
  SimulatedNetwork network;
  network.controller = std::make_unique<SimulatedController>();
  SeedDemoDomainFromEnvironment(*network.controller);
  network.domain_servers.emplace_back(kDemoController);
  return network;
}

std::string SaveState(SimulatedNetwork& network) {
  SimulatedController& controller = *network.controller;
  json domains = json::array();
  for (const std::u16string& server : network.domain_servers) {
    Directory* directory = controller.FindServer(server);
    if (!directory) {
      throw StateFileError("no simulated server " + Utf8(server));
    }
    domains.push_back(SaveDirectory(*directory));
  }
  const json document = {
      {"format", kFormat},
      {"version", kVersion},
      {"localComputer", SaveDirectory(controller.local_computer())},
      {"domains", std::move(domains)}};
  return document.dump(2) + "\n";
}

SimulatedNetwork LoadState(std::string_view document) {
  try {
    const json saved = ParseWithoutDuplicateKeys(document);
    if (saved.at("format").get<std::string>() != kFormat) {
      throw StateFileError("not a corvane simulated-state document");
    }
    if (WholeNumber(saved.at("version"), kVersion, "version") != kVersion) {
      throw StateFileError("not a state document of version " +
                           std::to_string(kVersion));
    }
    const json& local = saved.at("localComputer");
    SimulatedNetwork network;
    network.controller = std::make_unique<SimulatedController>(
        Utf16(local.at("server"), "the local computer's name"));
    RestoreDirectory(local, network.controller->local_computer(),
                     "localComputer");
    for (const json& domain : saved.at("domains")) {
      std::u16string server = Utf16(domain.at("server"), "a server name");
      if (server.empty() || network.controller->FindServer(server)) {
        throw StateFileError("duplicate or empty server name");
      }
      Directory& directory = network.controller->AddDomain(
          Utf16(domain.at("domain"), "a domain name"), server,
          DomainSidSubs(domain.at("domainSid").get<std::string>()));
      RestoreDirectory(
          domain, directory,
          "domains[" + std::to_string(network.domain_servers.size()) + "]");
      network.domain_servers.push_back(std::move(server));
    }
    return network;
  } catch (const json::exception& error) {
    throw StateFileError(error.what());
  }
}

}  // namespace corvane::netapi::simulated
