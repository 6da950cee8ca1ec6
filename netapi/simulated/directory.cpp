#include "netapi/simulated/directory.h"

#include <algorithm>

namespace corvane::netapi::simulated {
namespace {

// Upper-cases ASCII and Latin-1 letters, enough for the names NT compares.
char16_t Fold(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
    return static_cast<char16_t>(c - 0x20);
  }
  return c;
}

template <typename Records>
auto FindByName(Records& records, std::u16string_view name) {
  return std::find_if(records.begin(), records.end(),
                      [&](const auto& r) { return SameName(r.name, name); });
}

}  // namespace

bool SameName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

std::u16string NameKey(std::u16string_view name) {
  std::u16string key(name);
  std::transform(key.begin(), key.end(), key.begin(), Fold);
  return key;
}

Sid MakeSid(std::uint64_t authority, std::vector<std::uint32_t> subs) {
  Sid sid = {1, static_cast<std::uint8_t>(subs.size())};
  for (int shift = 40; shift >= 0; shift -= 8) {
    sid.push_back(static_cast<std::uint8_t>(authority >> shift));
  }
  for (std::uint32_t sub : subs) {
    for (int shift = 0; shift < 32; shift += 8) {
      sid.push_back(static_cast<std::uint8_t>(sub >> shift));
    }
  }
  return sid;
}

Directory::Directory(std::u16string server, std::u16string domain,
                     std::vector<std::uint32_t> domain_sid_subs)
    : server_(std::move(server)),
      domain_(std::move(domain)),
      domain_sid_subs_(std::move(domain_sid_subs)) {}

Account* Directory::FindUser(std::u16string_view name) {
  auto it = FindByName(users_, name);
  return it == users_.end() ? nullptr : &*it;
}

Group* Directory::FindGroup(std::u16string_view name) {
  auto it = FindByName(groups_, name);
  return it == groups_.end() ? nullptr : &*it;
}

Account& Directory::AddUser(Account account) {
  return AddUserWithRid(std::move(account), next_rid_++);
}

Account& Directory::AddUserWithRid(Account account, std::uint32_t rid) {
  account.sid = SidForRid(rid);
  users_.push_back(std::move(account));
  return users_.back();
}

Group& Directory::AddGroup(Group group) {
  return AddGroupWithRid(std::move(group), next_rid_++);
}

Group& Directory::AddGroupWithRid(Group group, std::uint32_t rid) {
  group.sid = SidForRid(rid);
  groups_.push_back(std::move(group));
  return groups_.back();
}

bool Directory::DeleteUser(std::u16string_view name) {
  auto it = FindByName(users_, name);
  if (it == users_.end()) return false;
  for (Group& group : groups_) {
    std::erase_if(group.members,
                  [&](const std::u16string& m) { return SameName(m, name); });
  }
  users_.erase(it);
  return true;
}

void Directory::RenameUser(Account& account, std::u16string name) {
  for (Group& group : groups_) {
    for (std::u16string& member : group.members) {
      if (SameName(member, account.name)) member = name;
    }
  }
  account.name = std::move(name);
}

bool Directory::DeleteGroup(std::u16string_view name) {
  auto it = FindByName(groups_, name);
  if (it == groups_.end()) return false;
  groups_.erase(it);
  return true;
}

namespace {

// Whether `text` holds `part`, letter case aside; compared in place, since
// `text` is a password and no copy of it may be left behind.
bool ContainsFolded(std::u16string_view text, std::u16string_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < part.size() && Fold(text[at + i]) == Fold(part[i])) ++i;
    if (i == part.size()) return true;
  }
  return false;
}

}  // namespace

NET_API_STATUS Directory::CheckPassword(std::u16string_view name,
                                        std::u16string_view password,
                                        const Account* existing) const {
  const PasswordPolicy& policy = password_policy_;
  if (password.size() < policy.min_length) return NERR_PasswordTooShort;
  if (policy.complexity) {
    // The account name, three characters or longer, may not be in it.
    if (name.size() >= 3 && ContainsFolded(password, name)) {
      return NERR_PasswordTooShort;
    }
    bool upper = false, lower = false, digit = false, other = false;
    for (const char16_t c : password) {
      if (c >= u'A' && c <= u'Z') {
        upper = true;
      } else if (c >= u'a' && c <= u'z') {
        lower = true;
      } else if (c >= u'0' && c <= u'9') {
        digit = true;
      } else {
        other = true;
      }
    }
    if (upper + lower + digit + other < 3) return NERR_PasswordTooShort;
  }
  // The history counts the current password as the first of them.
  if (policy.history_length > 0 && existing != nullptr) {
    if (password == existing->password) return NERR_PasswordTooShort;
    const auto& history = existing->password_history;
    const std::size_t earlier =
        std::min<std::size_t>(history.size(), policy.history_length - 1);
    for (std::size_t i = 0; i < earlier; ++i) {
      if (history[i] == password) return NERR_PasswordTooShort;
    }
  }
  return NERR_Success;
}

void Directory::SetPassword(Account& account, std::u16string password) const {
  const DWORD kept = password_policy_.history_length;
  if (kept > 1) {
    account.password_history.insert(account.password_history.begin(),
                                    std::move(account.password));
    if (account.password_history.size() > kept - 1) {
      account.password_history.resize(kept - 1);
    }
  } else {
    account.password_history.clear();
  }
  account.password = std::move(password);
}

Sid Directory::domain_sid() const { return MakeSid(5, domain_sid_subs_); }

Sid Directory::SidForRid(std::uint32_t rid) const {
  std::vector<std::uint32_t> subs = domain_sid_subs_;
  subs.push_back(rid);
  return MakeSid(5, std::move(subs));
}

}  // namespace corvane::netapi::simulated
