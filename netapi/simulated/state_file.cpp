#include "netapi/simulated/state_file.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <unordered_set>
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

Sid ParseSid(std::string_view text) {
  if (!text.starts_with("S-1-")) {
    throw StateFileError("malformed SID: " + automation::EscapeControls(text));
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
    throw StateFileError("malformed SID: " + automation::EscapeControls(text));
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
std::vector<std::uint32_t> DomainSidSubs(std::string_view text) {
  const Sid sid = ParseSid(text);
  if (sid.size() < 8 || sid[7] != 5) {
    throw StateFileError("not an NT domain SID: " +
                         automation::EscapeControls(text));
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
    if (!account.password_history.empty()) {
      json history = json::array();
      for (const std::u16string& earlier : account.password_history) {
        history.push_back(Utf8(earlier));
      }
      users.back()["passwordHistory"] = std::move(history);
    }
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
          {"passwordPolicy",
           {{"minLength", directory.password_policy().min_length},
            {"complexity", directory.password_policy().complexity},
            {"historyLength", directory.password_policy().history_length}}},
          {"users", std::move(users)},
          {"groups", std::move(groups)}};
}

// Reading goes through simdjson, which parses a large state several times
// faster than the DOM that writes it, so that a read of a big domain stays
// quick. Every value read is checked for its type here, by field name.
namespace dom = simdjson::dom;

// The state's own nesting is five deep; anything much deeper is refused by
// the parser before a value is looked at.
constexpr std::size_t kMaxDepth = 64;

std::string TypeOf(dom::element value) {
  switch (value.type()) {
    case dom::element_type::ARRAY:
      return "an array";
    case dom::element_type::OBJECT:
      return "an object";
    case dom::element_type::STRING:
      return "a string";
    case dom::element_type::BOOL:
      return "a boolean";
    case dom::element_type::NULL_VALUE:
      return "null";
    default:
      return "a number";
  }
}

// A number as the document wrote it, for an error message.
std::string NumberText(dom::element value) {
  std::int64_t whole = 0;
  if (!value.get_int64().get(whole)) return std::to_string(whole);
  double fraction = 0;
  if (!value.get_double().get(fraction)) {
    std::ostringstream text;
    text << fraction;
    return text.str();
  }
  return TypeOf(value);
}

[[noreturn]] void WrongType(dom::element value, std::string_view expected,
                            std::string_view what) {
  std::string message = "expected ";
  message.append(expected).append(" for ").append(what).append(", found ");
  message.append(TypeOf(value));
  throw StateFileError(message);
}

// An object whose keys each appear once: of two equal keys, which one the
// writer meant is not clear, so such a document is refused.
dom::object Object(dom::element value, std::string_view what) {
  dom::object object;
  if (value.get_object().get(object)) WrongType(value, "an object", what);
  std::vector<std::string_view> keys;
  for (const dom::key_value_pair field : object) {
    // An object holds a few keys: a look along them beats a set.
    if (std::find(keys.begin(), keys.end(), field.key) != keys.end()) {
      throw StateFileError("the key \"" +
                           automation::EscapeControls(field.key) +
                           "\" appears twice in one object");
    }
    keys.push_back(field.key);
  }
  return object;
}

std::optional<dom::element> OptionalField(dom::object object,
                                          std::string_view key) {
  dom::element value;
  if (object.at_key(key).get(value)) return std::nullopt;
  return value;
}

dom::element Field(dom::object object, std::string_view key) {
  std::optional<dom::element> value = OptionalField(object, key);
  if (!value) {
    throw StateFileError("the field \"" + std::string(key) + "\" is missing");
  }
  return *value;
}

dom::array Array(dom::element value, std::string_view what) {
  dom::array array;
  if (value.get_array().get(array)) WrongType(value, "an array", what);
  return array;
}

std::string_view Utf8Text(dom::element value, std::string_view what) {
  std::string_view text;
  if (value.get_string().get(text)) WrongType(value, "a string", what);
  return text;
}

std::u16string Utf16(dom::element value, std::string_view what) {
  std::optional<std::u16string> text =
      automation::FromUtf8(Utf8Text(value, what));
  if (!text) {
    throw StateFileError("invalid UTF-8 in " + std::string(what));
  }
  return std::move(*text);
}

// Only whole numbers within [0, max] pass: never a negative one, a
// fraction or one out of range.
std::uint64_t WholeNumber(dom::element value, std::uint64_t max,
                          std::string_view what) {
  std::uint64_t number = 0;
  if (value.get_uint64().get(number) || number > max) {
    // Only a number is shown, never a nested value.
    throw StateFileError("expected a whole number from 0 to " +
                         std::to_string(max) + " for " + std::string(what) +
                         ", found " + NumberText(value));
  }
  return number;
}

DWORD Dword(dom::element value, std::string_view what) {
  return static_cast<DWORD>(WholeNumber(value, 0xFFFFFFFF, what));
}

bool Boolean(dom::element value, std::string_view what) {
  bool flag = false;
  if (value.get_bool().get(flag)) WrongType(value, "true or false", what);
  return flag;
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
               std::unordered_set<std::u16string>& taken) {
  if (name.empty()) throw StateFileError(entry + ": an empty name");
  if (name.find(u'\0') != std::u16string_view::npos) {
    throw StateFileError(entry + ": a name holds a NUL character");
  }
  if (!taken.insert(NameKey(name)).second) {
    throw StateFileError(entry + ": another account has the same name");
  }
}

Account ReadAccount(dom::object user, const std::string& entry) {
  Account account;
  account.password = Utf16(Field(user, "password"), "a password");
  account.priv = Dword(Field(user, "priv"), "priv");
  if (account.priv > USER_PRIV_ADMIN) {
    throw StateFileError(entry + ": priv " + std::to_string(account.priv) +
                         " is none of 0 (guest), 1 (user), 2 (admin)");
  }
  account.home_dir = Utf16(Field(user, "homeDir"), "a home directory");
  account.comment = Utf16(Field(user, "comment"), "a comment");
  account.flags = Dword(Field(user, "flags"), "flags");
  account.script_path = Utf16(Field(user, "scriptPath"), "a script path");
  account.full_name = Utf16(Field(user, "fullName"), "a full name");
  account.sid = ParseSid(Utf8Text(Field(user, "sid"), "a SID"));
  // Account facts a state saved before they were kept leaves at their
  // defaults.
  for (auto [key, fact] : {std::pair{"lastLogon", &account.last_logon},
                           {"passwordLastSet", &account.password_last_set},
                           {"accountExpires", &account.acct_expires},
                           {"badPasswordCount", &account.bad_pw_count},
                           {"primaryGroupId", &account.primary_group_id}}) {
    if (auto value = OptionalField(user, key)) *fact = Dword(*value, key);
  }
  if (auto expired = OptionalField(user, "passwordExpired")) {
    account.password_expired = Boolean(*expired, "passwordExpired");
  }
  if (auto history = OptionalField(user, "passwordHistory")) {
    for (const dom::element earlier : Array(*history, "passwordHistory")) {
      account.password_history.push_back(Utf16(earlier, "an earlier password"));
    }
  }
  return account;
}

void RestoreDirectory(dom::object saved, Directory& directory,
                      const std::string& where) {
  if (SidText(directory.domain_sid()) !=
      Utf8Text(Field(saved, "domainSid"), "domainSid")) {
    throw StateFileError("the SID of " + Utf8(directory.domain()) +
                         " does not match the one saved");
  }
  directory.set_next_rid(Dword(Field(saved, "nextRid"), "nextRid"));
  if (auto age = OptionalField(saved, "maxPasswordAge")) {
    directory.set_max_password_age(Dword(*age, "maxPasswordAge"));
  }
  // A state saved before the policy was kept has none.
  if (auto saved_policy = OptionalField(saved, "passwordPolicy")) {
    const dom::object policy = Object(*saved_policy, "passwordPolicy");
    directory.set_password_policy(
        {Dword(Field(policy, "minLength"), "minLength"),
         Boolean(Field(policy, "complexity"), "complexity"),
         Dword(Field(policy, "historyLength"), "historyLength")});
  }

  const dom::array saved_users = Array(Field(saved, "users"), "users");
  const dom::array saved_groups = Array(Field(saved, "groups"), "groups");
  std::unordered_set<std::u16string> names;
  names.reserve(saved_users.size() + saved_groups.size());
  std::vector<Account> users;
  users.reserve(saved_users.size());
  for (const dom::element value : saved_users) {
    const dom::object user = Object(value, "a user");
    std::u16string name = Utf16(Field(user, "name"), "a user name");
    const std::string entry = Entry(where + ".users", users.size(), name);
    CheckName(name, entry, names);
    users.push_back(ReadAccount(user, entry));
    users.back().name = std::move(name);
  }
  std::vector<Group> groups;
  for (const dom::element value : saved_groups) {
    const dom::object saved_group = Object(value, "a group");
    Group group;
    group.name = Utf16(Field(saved_group, "name"), "a group name");
    CheckName(group.name, Entry(where + ".groups", groups.size(), group.name),
              names);
    group.comment = Utf16(Field(saved_group, "comment"), "a group comment");
    for (const dom::element member :
         Array(Field(saved_group, "members"), "members")) {
      group.members.push_back(Utf16(member, "a member name"));
    }
    group.sid = ParseSid(Utf8Text(Field(saved_group, "sid"), "a group SID"));
    groups.push_back(std::move(group));
  }
  directory.users() = std::move(users);
  directory.groups() = std::move(groups);
}

}  // namespace

SimulatedNetwork NewDemoNetwork() {
  SimulatedNetwork network;
  network.controller = std::make_unique<SimulatedController>();
  // A new domain gets the policy Samba gives a domain it provisions.
  SeedDemoDomainFromEnvironment(*network.controller)
      .set_password_policy(kNewDomainPolicy);
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
  dom::parser parser;
  dom::element parsed;
  if (const auto error = parser.allocate(document.size(), kMaxDepth);
      error != simdjson::SUCCESS) {
    throw StateFileError(simdjson::error_message(error));
  }
  if (const auto error =
          parser.parse(document.data(), document.size()).get(parsed)) {
    throw StateFileError(std::string("not a JSON document: ") +
                         simdjson::error_message(error));
  }
  const dom::object saved = Object(parsed, "the document");
  if (Utf8Text(Field(saved, "format"), "format") != kFormat) {
    throw StateFileError("not a corvane simulated-state document");
  }
  if (WholeNumber(Field(saved, "version"), kVersion, "version") != kVersion) {
    throw StateFileError("not a state document of version " +
                         std::to_string(kVersion));
  }
  const dom::object local =
      Object(Field(saved, "localComputer"), "localComputer");
  SimulatedNetwork network;
  network.controller = std::make_unique<SimulatedController>(
      Utf16(Field(local, "server"), "the local computer's name"));
  RestoreDirectory(local, network.controller->local_computer(),
                   "localComputer");
  for (const dom::element value : Array(Field(saved, "domains"), "domains")) {
    const dom::object domain = Object(value, "a domain");
    std::u16string server = Utf16(Field(domain, "server"), "a server name");
    if (server.empty() || network.controller->FindServer(server)) {
      throw StateFileError("duplicate or empty server name");
    }
    Directory& directory = network.controller->AddDomain(
        Utf16(Field(domain, "domain"), "a domain name"), server,
        DomainSidSubs(Utf8Text(Field(domain, "domainSid"), "domainSid")));
    RestoreDirectory(
        domain, directory,
        "domains[" + std::to_string(network.domain_servers.size()) + "]");
    network.domain_servers.push_back(std::move(server));
  }
  return network;
}

}  // namespace corvane::netapi::simulated
