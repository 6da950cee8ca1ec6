#include "netapi/simulated/simulated_controller.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <utility>

#include "netapi/listing_batch.h"
#include "netapi/record_builder.h"
#include "netapi/sid_text.h"
#include "netapi/thread_id.h"

namespace corvane::netapi::simulated {
namespace {

constexpr NET_API_STATUS NERR_BadUsername = 2202;
// What a Samba controller answers for a name holding a control character
// (ERROR_INTERNAL_DB_CORRUPTION), with parameter 0.
constexpr NET_API_STATUS kControlCharacterRefused = 1358;
constexpr DWORD RPC_S_SERVER_UNAVAILABLE = 1722;
constexpr DWORD kAccountTypeMask = 0x3B00;

std::u16string Text(LPCWSTR text) { return text ? std::u16string(text) : u""; }

std::u16string_view WithoutBackslashes(std::u16string_view server) {
  while (!server.empty() && server.front() == u'\\') server.remove_prefix(1);
  return server;
}

bool HoldsControlCharacter(std::u16string_view name) {
  return std::any_of(name.begin(), name.end(), [](char16_t c) {
    return (c >= 1 && c <= 31) || c == 127;
  });
}

bool IsValidAccountName(std::u16string_view name) {
  if (name.empty() || name.size() > 256) return false;
  return name.find_first_of(u"\"/\\[]:;|=,+*?<>") == std::u16string_view::npos;
}

DWORD Now() { return static_cast<DWORD>(std::time(nullptr)); }

void Set(LPDWORD out, DWORD value) {
  if (out) *out = value;
}

std::uint32_t RidOf(const Sid& sid) {
  if (sid.size() < 12) return 0;
  std::uint32_t rid = 0;
  std::memcpy(&rid, sid.data() + sid.size() - 4, 4);
  return rid;
}

// An account as a level 3 record of an enumeration. As the platform does,
// the flags carry UF_PASSWORD_EXPIRED when the password must be changed or
// is older than the domain's maximum age.
void AddListedRecord(const Account& account, DWORD now, DWORD max_age,
                     RecordBuilder<USER_INFO_3>& batch) {
  USER_INFO_3& record = batch.Add();
  const DWORD age = now - account.password_last_set;
  record.usri3_password_age = age;
  record.usri3_priv = account.priv;
  record.usri3_flags = account.flags;
  // A password never set has no age to expire by.
  const bool too_old = account.password_last_set != 0 && max_age != 0 &&
                       max_age != TIMEQ_FOREVER &&
                       !(account.flags & UF_DONT_EXPIRE_PASSWD) &&
                       age > max_age;
  if (account.password_expired || too_old) {
    record.usri3_flags |= UF_PASSWORD_EXPIRED;
  }
  record.usri3_last_logon = account.last_logon;
  record.usri3_acct_expires = account.acct_expires;
  record.usri3_max_storage = 0xFFFFFFFF;
  record.usri3_units_per_week = 168;
  record.usri3_bad_pw_count = account.bad_pw_count;
  record.usri3_user_id = RidOf(account.sid);
  record.usri3_primary_group_id = account.primary_group_id;
  record.usri3_password_expired = account.password_expired ? 1 : 0;
  batch.Text(&USER_INFO_3::usri3_name, account.name);
  batch.Text(&USER_INFO_3::usri3_home_dir, account.home_dir);
  batch.Text(&USER_INFO_3::usri3_comment, account.comment);
  batch.Text(&USER_INFO_3::usri3_script_path, account.script_path);
  batch.Text(&USER_INFO_3::usri3_full_name, account.full_name);
  batch.Text(&USER_INFO_3::usri3_usr_comment, u"");
  batch.Text(&USER_INFO_3::usri3_parms, u"");
  batch.Text(&USER_INFO_3::usri3_workstations, u"");
  batch.Text(&USER_INFO_3::usri3_logon_server, u"\\\\*");
  batch.Text(&USER_INFO_3::usri3_profile, u"");
  batch.Text(&USER_INFO_3::usri3_home_dir_drive, u"");
}

}  // namespace

SimulatedController::SimulatedController(std::u16string local_computer) {
  directories_.push_back(std::make_unique<Directory>(
      local_computer, local_computer,
      std::vector<std::uint32_t>{21, 111, 222, next_domain_sub_++}));
}

Directory& SimulatedController::AddDomain(
    std::u16string domain, std::u16string controller,
    std::vector<std::uint32_t> domain_sid_subs) {
  controllers_[domain] = controller;
  if (domain_sid_subs.empty()) {
    domain_sid_subs = {21, 333, 444, next_domain_sub_++};
  }
  directories_.push_back(std::make_unique<Directory>(
      std::move(controller), std::move(domain), std::move(domain_sid_subs)));
  return *directories_.back();
}

Directory* SimulatedController::FindServer(std::u16string_view servername) {
  const std::u16string_view name = WithoutBackslashes(servername);
  if (name.empty()) return &local_computer();
  for (auto& directory : directories_) {
    if (SameName(directory->server(), name)) return directory.get();
  }
  return nullptr;
}

void SimulatedController::FailCall(const std::string& operation, int nth,
                                   NET_API_STATUS status) {
  faults_[operation][call_counts_[operation] + nth] = status;
}

NET_API_STATUS SimulatedController::Begin(Call*& call,
                                          const std::string& operation) {
  call = &journal_.Record(operation);
  const int count = ++call_counts_[operation];
  auto faults = faults_.find(operation);
  if (faults == faults_.end()) return NERR_Success;
  auto fault = faults->second.find(count);
  if (fault == faults->second.end()) return NERR_Success;
  const NET_API_STATUS status = fault->second;
  faults->second.erase(fault);
  return status;
}

void SimulatedController::RecordText(Call& call, const std::string& key,
                                     LPCWSTR text) {
  call.texts[key] = text ? std::optional<std::u16string>(text) : std::nullopt;
}

SimulatedController::Opened SimulatedController::Open(
    const std::string& operation, LPCWSTR servername) {
  Call* call;
  const NET_API_STATUS fault = Begin(call, operation);
  RecordText(*call, "servername", servername);
  return Opened{*call, fault, servername};
}

NET_API_STATUS SimulatedController::Reach(const Opened& opened,
                                          Directory*& directory) {
  directory = nullptr;
  if (opened.fault) return opened.fault;
  directory = FindServer(Text(opened.servername));
  return directory ? NERR_Success : ERROR_BAD_NETPATH;
}

void SimulatedController::RecordField(Call& call, const std::string& key,
                                      LPCWSTR text) {
  RecordText(call, key, text);
  call.numbers[key + ".block_bytes"] = ledger_.BlockSizeAt(text);
  call.numbers[key + ".address"] = reinterpret_cast<std::uintptr_t>(text);
}

LPBYTE SimulatedController::AllocateBlock(std::size_t bytes) {
  return static_cast<LPBYTE>(ledger_.Allocate(bytes));
}

template <typename Record, typename Item, typename Fill>
NET_API_STATUS SimulatedController::ServeRecords(const std::vector<Item>& items,
                                                 Fill&& fill, DWORD prefmaxlen,
                                                 LPBYTE* bufptr,
                                                 LPDWORD entriesread,
                                                 LPDWORD totalentries,
                                                 DWORD_PTR& resume) {
  const std::size_t position = std::min<std::size_t>(resume, items.size());
  const BatchRequest<Record> request{
      prefmaxlen, items.size() - position,
      [this](std::size_t n) { return AllocateBlock(n); }};
  std::size_t next = position;
  // A batch with more to come ends by giving back the entry added last, so
  // it resumes after the one added before that.
  std::size_t last_added = 0, added_before = 0;
  std::size_t taken = 0;
  const NET_API_STATUS status = ServeBatch(
      request,
      [&](RecordBuilder<Record>& batch) {
        for (; next < items.size(); ++next) {
          if (!fill(items[next], batch)) continue;
          added_before = std::exchange(last_added, next++);
          return true;
        }
        return false;
      },
      bufptr, entriesread, totalentries, taken);
  resume = status == ERROR_MORE_DATA ? added_before + 1 : 0;
  return status;
}

template <typename Record, typename Item, typename NameOf>
NET_API_STATUS SimulatedController::ServeNames(
    LPWSTR Record::*field, const std::vector<Item>& items, NameOf&& name_of,
    DWORD prefmaxlen, LPBYTE* bufptr, LPDWORD entriesread, LPDWORD totalentries,
    DWORD_PTR& resume) {
  return ServeRecords<Record>(
      items,
      [&](const Item& item, RecordBuilder<Record>& batch) {
        const std::u16string* name = name_of(item);
        if (name == nullptr) return false;
        batch.Add();
        batch.Text(field, *name);
        return true;
      },
      prefmaxlen, bufptr, entriesread, totalentries, resume);
}

NET_API_STATUS SimulatedController::CheckNewName(Directory& directory,
                                                 std::u16string_view name,
                                                 std::u16string_view current,
                                                 DWORD parmnum,
                                                 LPDWORD parm_err) {
  if (HoldsControlCharacter(name)) return kControlCharacterRefused;
  if (!IsValidAccountName(name)) {
    Set(parm_err, parmnum);
    return ERROR_INVALID_PARAMETER;
  }
  // The same account under another case of its name is no clash.
  if (SameName(name, current)) return NERR_Success;
  if (directory.FindUser(name)) return NERR_UserExists;
  if (directory.FindGroup(name)) return NERR_GroupExists;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetGetDCName(LPCWSTR servername,
                                                 LPCWSTR domainname,
                                                 LPBYTE* bufptr) {
  const Opened opened = Open("NetGetDCName", servername);
  Call& call = opened.call;
  RecordText(call, "domainname", domainname);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;

  std::u16string domain = Text(domainname);
  if (domain.empty() && directories_.size() > 1) {
    domain = directories_[1]->domain();  // the computer's primary domain
  }
  for (const auto& [name, controller] : controllers_) {
    if (SameName(name, domain)) {
      const std::u16string result = u"\\\\" + controller;
      auto* block = AllocateBlock((result.size() + 1) * sizeof(WCHAR));
      if (!block) return ERROR_NOT_ENOUGH_MEMORY;
      std::memcpy(block, result.c_str(), (result.size() + 1) * sizeof(WCHAR));
      *bufptr = block;
      return NERR_Success;
    }
  }
  return NERR_DCNotFound;
}

NET_API_STATUS SimulatedController::NetGroupAdd(LPCWSTR servername, DWORD level,
                                                LPBYTE buf, LPDWORD parm_err) {
  const Opened opened = Open("NetGroupAdd", servername);
  Call& call = opened.call;
  call.numbers["level"] = level;
  if (parm_err) call.numbers["parm_err"] = *parm_err;
  if (level != 0 && level != 1) return ERROR_INVALID_LEVEL;
  // Levels 0 and 1 both start with the name.
  const auto* record = reinterpret_cast<const GROUP_INFO_1*>(buf);
  RecordField(call, "grpi1_name", record->grpi1_name);
  if (level == 1) RecordField(call, "grpi1_comment", record->grpi1_comment);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  const std::u16string name = Text(record->grpi1_name);
  if (HoldsControlCharacter(name)) return kControlCharacterRefused;
  if (!IsValidAccountName(name)) {
    Set(parm_err, GROUP_NAME_PARMNUM);
    return ERROR_INVALID_PARAMETER;
  }
  if (directory->FindGroup(name)) return NERR_GroupExists;
  if (directory->FindUser(name)) return NERR_UserExists;
  directory->AddGroup(
      Group{name, level == 1 ? Text(record->grpi1_comment) : u"", {}, {}});
  ++changes_;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetGroupDel(LPCWSTR servername,
                                                LPCWSTR groupname) {
  const Opened opened = Open("NetGroupDel", servername);
  Call& call = opened.call;
  RecordText(call, "groupname", groupname);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (!directory->DeleteGroup(Text(groupname))) return NERR_GroupNotFound;
  ++changes_;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetGroupEnum(
    LPCWSTR servername, DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
    LPDWORD entriesread, LPDWORD totalentries, PDWORD_PTR resume_handle) {
  const Opened opened = Open("NetGroupEnum", servername);
  Call& call = opened.call;
  call.numbers["level"] = level;
  call.numbers["prefmaxlen"] = prefmaxlen;
  call.numbers["resume_handle"] = resume_handle ? *resume_handle : 0;
  Set(entriesread, 0);
  Set(totalentries, 0);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (level != 0) return ERROR_INVALID_LEVEL;

  DWORD_PTR resume = resume_handle ? *resume_handle : 0;
  const NET_API_STATUS status = ServeNames(
      &GROUP_INFO_0::grpi0_name, directory->groups(),
      [](const Group& group) { return &group.name; }, prefmaxlen, bufptr,
      entriesread, totalentries, resume);
  if (resume_handle) *resume_handle = resume;
  return status;
}

NET_API_STATUS SimulatedController::NetGroupGetInfo(LPCWSTR servername,
                                                    LPCWSTR groupname,
                                                    DWORD level,
                                                    LPBYTE* bufptr) {
  const Opened opened = Open("NetGroupGetInfo", servername);
  Call& call = opened.call;
  RecordText(call, "groupname", groupname);
  call.numbers["level"] = level;
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (level != 0 && level != 1) return ERROR_INVALID_LEVEL;
  const Group* group = directory->FindGroup(Text(groupname));
  if (!group) return NERR_GroupNotFound;

  RecordBuilder<GROUP_INFO_1> builder;
  builder.Add();
  builder.Text(&GROUP_INFO_1::grpi1_name, group->name);
  if (level == 1) builder.Text(&GROUP_INFO_1::grpi1_comment, group->comment);
  *bufptr = builder.Build([this](std::size_t n) { return AllocateBlock(n); });
  return *bufptr ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

NET_API_STATUS SimulatedController::NetGroupSetInfo(LPCWSTR servername,
                                                    LPCWSTR groupname,
                                                    DWORD level, LPBYTE buf,
                                                    LPDWORD parm_err) {
  const Opened opened = Open("NetGroupSetInfo", servername);
  Call& call = opened.call;
  RecordText(call, "groupname", groupname);
  call.numbers["level"] = level;
  if (level != 0 && level != 1) {
    return opened.fault ? opened.fault : ERROR_INVALID_LEVEL;
  }
  // Level 0 renames the group; level 1 sets its comment (its name is not
  // changed by it).
  const auto* record = reinterpret_cast<const GROUP_INFO_1*>(buf);
  if (level == 0) {
    RecordField(call, "grpi0_name", record->grpi1_name);
  } else {
    RecordField(call, "grpi1_name", record->grpi1_name);
    RecordField(call, "grpi1_comment", record->grpi1_comment);
  }
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  Group* group = directory->FindGroup(Text(groupname));
  if (!group) return NERR_GroupNotFound;
  Set(parm_err, 0);
  if (level == 0) {
    const std::u16string name = Text(record->grpi1_name);
    if (const NET_API_STATUS status = CheckNewName(
            *directory, name, group->name, GROUP_NAME_PARMNUM, parm_err)) {
      return status;
    }
    group->name = name;
  } else {
    group->comment = Text(record->grpi1_comment);
  }
  ++changes_;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetGroupGetUsers(
    LPCWSTR servername, LPCWSTR groupname, DWORD level, LPBYTE* bufptr,
    DWORD prefmaxlen, LPDWORD entriesread, LPDWORD totalentries,
    PDWORD_PTR resume_handle) {
  const Opened opened = Open("NetGroupGetUsers", servername);
  Call& call = opened.call;
  RecordText(call, "groupname", groupname);
  call.numbers["level"] = level;
  call.numbers["prefmaxlen"] = prefmaxlen;
  call.numbers["resume_handle"] = resume_handle ? *resume_handle : 0;
  Set(entriesread, 0);
  Set(totalentries, 0);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (level != 0) return ERROR_INVALID_LEVEL;
  const Group* group = directory->FindGroup(Text(groupname));
  if (!group) return NERR_GroupNotFound;

  DWORD_PTR resume = resume_handle ? *resume_handle : 0;
  const NET_API_STATUS status = ServeNames(
      &GROUP_USERS_INFO_0::grui0_name, group->members,
      [](const std::u16string& member) { return &member; }, prefmaxlen, bufptr,
      entriesread, totalentries, resume);
  if (resume_handle) *resume_handle = resume;
  return status;
}

NET_API_STATUS SimulatedController::BeginMembershipCall(
    const std::string& operation, LPCWSTR servername, LPCWSTR groupname,
    LPCWSTR username, Directory*& directory, Group*& group) {
  const Opened opened = Open(operation, servername);
  RecordText(opened.call, "groupname", groupname);
  RecordText(opened.call, "username", username);
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  group = directory->FindGroup(Text(groupname));
  if (!group) return NERR_GroupNotFound;
  if (!directory->FindUser(Text(username))) return NERR_UserNotFound;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetGroupAddUser(LPCWSTR servername,
                                                    LPCWSTR groupname,
                                                    LPCWSTR username) {
  Directory* directory;
  Group* group;
  if (const NET_API_STATUS status =
          BeginMembershipCall("NetGroupAddUser", servername, groupname,
                              username, directory, group)) {
    return status;
  }
  const Account* account = directory->FindUser(Text(username));
  for (const auto& member : group->members) {
    if (SameName(member, account->name)) return NERR_UserInGroup;
  }
  group->members.push_back(account->name);
  ++changes_;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetGroupDelUser(LPCWSTR servername,
                                                    LPCWSTR groupname,
                                                    LPCWSTR username) {
  Directory* directory;
  Group* group;
  if (const NET_API_STATUS status =
          BeginMembershipCall("NetGroupDelUser", servername, groupname,
                              username, directory, group)) {
    return status;
  }
  const auto erased = std::erase_if(group->members, [&](const auto& member) {
    return SameName(member, Text(username));
  });
  if (!erased) return NERR_UserNotInGroup;
  ++changes_;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetUserAdd(LPCWSTR servername, DWORD level,
                                               LPBYTE buf, LPDWORD parm_err) {
  const Opened opened = Open("NetUserAdd", servername);
  Call& call = opened.call;
  call.numbers["level"] = level;
  if (parm_err) call.numbers["parm_err"] = *parm_err;
  if (level != 1) return opened.fault ? opened.fault : ERROR_INVALID_LEVEL;
  const auto* record = reinterpret_cast<const USER_INFO_1*>(buf);
  RecordField(call, "usri1_name", record->usri1_name);
  RecordField(call, "usri1_password", record->usri1_password);
  call.numbers["usri1_password_age"] = record->usri1_password_age;
  call.numbers["usri1_priv"] = record->usri1_priv;
  RecordField(call, "usri1_home_dir", record->usri1_home_dir);
  RecordField(call, "usri1_comment", record->usri1_comment);
  call.numbers["usri1_flags"] = record->usri1_flags;
  RecordField(call, "usri1_script_path", record->usri1_script_path);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  const std::u16string name = Text(record->usri1_name);
  if (HoldsControlCharacter(name)) return kControlCharacterRefused;
  if (!IsValidAccountName(name)) return NERR_BadUsername;
  // A new account is always created as an ordinary user; privileges come
  // from group membership.
  if (record->usri1_priv != USER_PRIV_USER) {
    Set(parm_err, USER_PRIV_PARMNUM);
    return ERROR_INVALID_PARAMETER;
  }
  if (!(record->usri1_flags & UF_SCRIPT) ||
      (record->usri1_flags & kAccountTypeMask) != UF_NORMAL_ACCOUNT) {
    Set(parm_err, USER_FLAGS_PARMNUM);
    return ERROR_INVALID_PARAMETER;
  }
  if (directory->FindUser(name)) return NERR_UserExists;
  if (directory->FindGroup(name)) return NERR_GroupExists;
  // Checked in place: a copy of the password would be left behind.
  if (const NET_API_STATUS status = directory->CheckPassword(
          name,
          record->usri1_password ? std::u16string_view(record->usri1_password)
                                 : std::u16string_view(),
          nullptr)) {
    return status;
  }

  Account account;
  account.name = name;
  account.password = Text(record->usri1_password);
  account.priv = record->usri1_priv;
  account.home_dir = Text(record->usri1_home_dir);
  account.comment = Text(record->usri1_comment);
  account.flags = record->usri1_flags & ~UF_LOCKOUT;
  account.script_path = Text(record->usri1_script_path);
  account.password_last_set = Now();
  directory->AddUser(std::move(account));
  ++changes_;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetUserDel(LPCWSTR servername,
                                               LPCWSTR username) {
  const Opened opened = Open("NetUserDel", servername);
  Call& call = opened.call;
  RecordText(call, "username", username);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (!directory->DeleteUser(Text(username))) return NERR_UserNotFound;
  ++changes_;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetUserEnum(LPCWSTR servername, DWORD level,
                                                DWORD filter, LPBYTE* bufptr,
                                                DWORD prefmaxlen,
                                                LPDWORD entriesread,
                                                LPDWORD totalentries,
                                                LPDWORD resume_handle) {
  const Opened opened = Open("NetUserEnum", servername);
  Call& call = opened.call;
  call.numbers["level"] = level;
  call.numbers["filter"] = filter;
  call.numbers["prefmaxlen"] = prefmaxlen;
  call.numbers["resume_handle"] = resume_handle ? *resume_handle : 0;
  Set(entriesread, 0);
  Set(totalentries, 0);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (level != 0 && level != 3) return ERROR_INVALID_LEVEL;

  // FILTER_* values are the UF_* account-type bits shifted down by 8. The
  // resume handle is the position in the whole account list.
  const DWORD wanted = filter << 8;
  const auto& users = directory->users();
  const auto matches = [&](const Account& account) {
    return filter == 0 || (account.flags & wanted);
  };
  // Like the platform's, the total is an estimate: the accounts left from
  // the resume position, before filtering.
  DWORD_PTR resume = resume_handle ? *resume_handle : 0;
  NET_API_STATUS status;
  if (level == 0) {
    status = ServeNames(
        &USER_INFO_0::usri0_name, users,
        [&](const Account& account) {
          return matches(account) ? &account.name : nullptr;
        },
        prefmaxlen, bufptr, entriesread, totalentries, resume);
  } else {
    const DWORD now = Now();
    const DWORD max_age = directory->max_password_age();
    status = ServeRecords<USER_INFO_3>(
        users,
        [&](const Account& account, RecordBuilder<USER_INFO_3>& batch) {
          if (!matches(account)) return false;
          AddListedRecord(account, now, max_age, batch);
          return true;
        },
        prefmaxlen, bufptr, entriesread, totalentries, resume);
  }
  if (resume_handle) *resume_handle = static_cast<DWORD>(resume);
  return status;
}

NET_API_STATUS SimulatedController::NetUserGetInfo(LPCWSTR servername,
                                                   LPCWSTR username,
                                                   DWORD level,
                                                   LPBYTE* bufptr) {
  const Opened opened = Open("NetUserGetInfo", servername);
  Call& call = opened.call;
  RecordText(call, "username", username);
  call.numbers["level"] = level;
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (level > 2 && level != 4) return ERROR_INVALID_LEVEL;
  const Account* account = directory->FindUser(Text(username));
  if (!account) return NERR_UserNotFound;

  // Levels 0, 1, 2 and 4 share their leading fields.
  RecordBuilder<USER_INFO_4> builder;
  USER_INFO_4& record = builder.Add();
  builder.Text(&USER_INFO_4::usri4_name, account->name);
  if (level >= 1) {
    record.usri4_password_age = Now() - account->password_last_set;
    record.usri4_priv = account->priv;
    record.usri4_flags = account->flags;
    builder.Text(&USER_INFO_4::usri4_home_dir, account->home_dir);
    builder.Text(&USER_INFO_4::usri4_comment, account->comment);
    builder.Text(&USER_INFO_4::usri4_script_path, account->script_path);
  }
  if (level >= 2) {
    builder.Text(&USER_INFO_4::usri4_full_name, account->full_name);
    builder.Text(&USER_INFO_4::usri4_usr_comment, u"");
    builder.Text(&USER_INFO_4::usri4_parms, u"");
    builder.Text(&USER_INFO_4::usri4_workstations, u"");
    builder.Text(&USER_INFO_4::usri4_logon_server, u"\\\\*");
    record.usri4_last_logon = account->last_logon;
    record.usri4_acct_expires = account->acct_expires;
    record.usri4_max_storage = 0xFFFFFFFF;
    record.usri4_units_per_week = 168;
    record.usri4_bad_pw_count = account->bad_pw_count;
  }
  if (level == 4) {
    builder.Bytes(&USER_INFO_4::usri4_user_sid, account->sid);
    record.usri4_primary_group_id = account->primary_group_id;
    builder.Text(&USER_INFO_4::usri4_profile, u"");
    builder.Text(&USER_INFO_4::usri4_home_dir_drive, u"");
    record.usri4_password_expired = account->password_expired ? 1 : 0;
  }
  *bufptr = builder.Build([this](std::size_t n) { return AllocateBlock(n); });
  return *bufptr ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

NET_API_STATUS SimulatedController::NetUserModalsGet(LPCWSTR servername,
                                                     DWORD level,
                                                     LPBYTE* bufptr) {
  const Opened opened = Open("NetUserModalsGet", servername);
  Call& call = opened.call;
  call.numbers["level"] = level;
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (level != 0) return ERROR_INVALID_LEVEL;
  RecordBuilder<USER_MODALS_INFO_0> builder;
  USER_MODALS_INFO_0& record = builder.Add();
  record.usrmod0_min_passwd_len = directory->password_policy().min_length;
  record.usrmod0_max_passwd_age = directory->max_password_age();
  record.usrmod0_password_hist_len =
      directory->password_policy().history_length;
  record.usrmod0_force_logoff = TIMEQ_FOREVER;
  *bufptr = builder.Build([this](std::size_t n) { return AllocateBlock(n); });
  return *bufptr ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

NET_API_STATUS SimulatedController::NetUserGetGroups(
    LPCWSTR servername, LPCWSTR username, DWORD level, LPBYTE* bufptr,
    DWORD prefmaxlen, LPDWORD entriesread, LPDWORD totalentries) {
  const Opened opened = Open("NetUserGetGroups", servername);
  Call& call = opened.call;
  RecordText(call, "username", username);
  call.numbers["level"] = level;
  call.numbers["prefmaxlen"] = prefmaxlen;
  Set(entriesread, 0);
  Set(totalentries, 0);
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  if (level != 0) return ERROR_INVALID_LEVEL;
  const Account* account = directory->FindUser(Text(username));
  if (!account) return NERR_UserNotFound;

  // The groups that list the account as a member, in one batch as far as
  // the preferred length allows: the call has no resume handle.
  std::vector<std::u16string> names;
  for (const Group& group : directory->groups()) {
    if (std::any_of(group.members.begin(), group.members.end(),
                    [&](const std::u16string& member) {
                      return SameName(member, account->name);
                    })) {
      names.push_back(group.name);
    }
  }
  DWORD_PTR resume = 0;
  return ServeNames(
      &GROUP_USERS_INFO_0::grui0_name, names,
      [](const std::u16string& name) { return &name; }, prefmaxlen, bufptr,
      entriesread, totalentries, resume);
}

NET_API_STATUS SimulatedController::NetUserSetInfo(LPCWSTR servername,
                                                   LPCWSTR username,
                                                   DWORD level, LPBYTE buf,
                                                   LPDWORD parm_err) {
  const Opened opened = Open("NetUserSetInfo", servername);
  Call& call = opened.call;
  RecordText(call, "username", username);
  call.numbers["level"] = level;

  // Levels 0 and 1003 to 1017 are one-field records; level 4 is whole.
  LPWSTR* text_field = reinterpret_cast<LPWSTR*>(buf);
  const auto* whole = reinterpret_cast<const USER_INFO_4*>(buf);
  switch (level) {
    case 0:
      RecordField(call, "usri0_name", *text_field);
      break;
    case 4:
      RecordField(call, "usri4_password", whole->usri4_password);
      RecordField(call, "usri4_full_name", whole->usri4_full_name);
      RecordField(call, "usri4_comment", whole->usri4_comment);
      RecordField(call, "usri4_home_dir", whole->usri4_home_dir);
      RecordField(call, "usri4_script_path", whole->usri4_script_path);
      call.numbers["usri4_flags"] = whole->usri4_flags;
      call.numbers["usri4_acct_expires"] = whole->usri4_acct_expires;
      call.numbers["usri4_primary_group_id"] = whole->usri4_primary_group_id;
      call.numbers["usri4_password_expired"] = whole->usri4_password_expired;
      break;
    case 1003:
      RecordField(call, "usri1003_password", *text_field);
      break;
    case 1006:
      RecordField(call, "usri1006_home_dir", *text_field);
      break;
    case 1007:
      RecordField(call, "usri1007_comment", *text_field);
      break;
    case 1008:
      call.numbers["usri1008_flags"] =
          reinterpret_cast<const USER_INFO_1008*>(buf)->usri1008_flags;
      break;
    case 1009:
      RecordField(call, "usri1009_script_path", *text_field);
      break;
    case 1011:
      RecordField(call, "usri1011_full_name", *text_field);
      break;
    case 1017:
      call.numbers["usri1017_acct_expires"] =
          reinterpret_cast<const USER_INFO_1017*>(buf)->usri1017_acct_expires;
      break;
    default:
      return opened.fault ? opened.fault : ERROR_INVALID_LEVEL;
  }
  Directory* directory;
  if (const NET_API_STATUS status = Reach(opened, directory)) return status;
  Account* account = directory->FindUser(Text(username));
  if (!account) return NERR_UserNotFound;

  switch (level) {
    case 0: {
      std::u16string name = Text(*text_field);
      if (const NET_API_STATUS status = CheckNewName(
              *directory, name, account->name, USER_NAME_PARMNUM, parm_err)) {
        return status;
      }
      directory->RenameUser(*account, std::move(name));
      break;
    }
    case 4:
      if (const NET_API_STATUS status =
              SetWholeRecord(*directory, *account, *whole, parm_err)) {
        return status;
      }
      break;
    case 1003: {
      if (const NET_API_STATUS status = directory->CheckPassword(
              account->name,
              *text_field ? std::u16string_view(*text_field)
                          : std::u16string_view(),
              account)) {
        return status;
      }
      directory->SetPassword(*account, Text(*text_field));
      account->password_last_set = Now();
      account->password_expired = false;
      break;
    }
    case 1006:
      account->home_dir = Text(*text_field);
      break;
    case 1007:
      account->comment = Text(*text_field);
      break;
    case 1008: {
      const DWORD flags =
          reinterpret_cast<const USER_INFO_1008*>(buf)->usri1008_flags;
      if ((flags & kAccountTypeMask) != (account->flags & kAccountTypeMask)) {
        Set(parm_err, USER_FLAGS_PARMNUM);
        return ERROR_INVALID_PARAMETER;
      }
      // The lock-out bit can be cleared to unlock, never set to lock.
      const DWORD lockout = account->flags & flags & UF_LOCKOUT;
      account->flags = (flags & ~UF_LOCKOUT) | lockout;
      break;
    }
    case 1009:
      account->script_path = Text(*text_field);
      break;
    case 1011:
      account->full_name = Text(*text_field);
      break;
    case 1017:
      account->acct_expires =
          reinterpret_cast<const USER_INFO_1017*>(buf)->usri1017_acct_expires;
      break;
  }
  ++changes_;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::SetWholeRecord(Directory& directory,
                                                   Account& account,
                                                   const USER_INFO_4& record,
                                                   LPDWORD parm_err) {
  // Checked first, so that a refused record changes nothing.
  if ((record.usri4_flags & kAccountTypeMask) !=
      (account.flags & kAccountTypeMask)) {
    Set(parm_err, USER_FLAGS_PARMNUM);
    return ERROR_INVALID_PARAMETER;
  }
  // The primary group must be one the account belongs to; an unchanged one
  // always is.
  if (record.usri4_primary_group_id != account.primary_group_id) {
    const bool member = std::any_of(
        directory.groups().begin(), directory.groups().end(),
        [&](const Group& group) {
          return RidOf(group.sid) == record.usri4_primary_group_id &&
                 std::any_of(group.members.begin(), group.members.end(),
                             [&](const std::u16string& name) {
                               return SameName(name, account.name);
                             });
        });
    if (!member) {
      Set(parm_err, USER_PRIMARY_GROUP_PARMNUM);
      return ERROR_INVALID_PARAMETER;
    }
  }
  if (record.usri4_password) {
    if (const NET_API_STATUS status = directory.CheckPassword(
            account.name, record.usri4_password, &account)) {
      return status;
    }
  }
  // A null text leaves the field as it is; so does a null password.
  const std::pair<LPWSTR, std::u16string*> texts[] = {
      {record.usri4_full_name, &account.full_name},
      {record.usri4_comment, &account.comment},
      {record.usri4_home_dir, &account.home_dir},
      {record.usri4_script_path, &account.script_path}};
  for (const auto& [text, field] : texts) {
    if (text) *field = text;
  }
  const DWORD lockout = account.flags & record.usri4_flags & UF_LOCKOUT;
  account.flags =
      (record.usri4_flags & ~(UF_LOCKOUT | UF_PASSWORD_EXPIRED)) | lockout;
  account.acct_expires = record.usri4_acct_expires;
  account.primary_group_id = record.usri4_primary_group_id;
  if (record.usri4_password) {
    directory.SetPassword(account, record.usri4_password);
    account.password_last_set = Now();
  }
  account.password_expired = record.usri4_password_expired != 0;
  return NERR_Success;
}

NET_API_STATUS SimulatedController::NetApiBufferAllocate(DWORD byte_count,
                                                         void** buffer) {
  Call* call;
  const NET_API_STATUS fault = Begin(call, "NetApiBufferAllocate");
  call->numbers["byte_count"] = byte_count;
  if (fault) return fault;
  *buffer = ledger_.Allocate(byte_count == 0 ? 1 : byte_count);
  return *buffer ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

NET_API_STATUS SimulatedController::NetApiBufferFree(void* buffer) {
  if (!buffer) return NERR_Success;
  // Journaled with whether the block was all zeros, so that tests can see
  // that secrets were wiped before release.
  Call& call = journal_.Record("NetApiBufferFree");
  call.numbers["address"] = reinterpret_cast<std::uintptr_t>(buffer);
  const std::size_t bytes = ledger_.BlockSizeAt(buffer);
  const auto* data = static_cast<const unsigned char*>(buffer);
  call.numbers["all_zero"] =
      bytes > 0 &&
      std::all_of(data, data + bytes, [](unsigned char b) { return b == 0; });
  return ledger_.Release(buffer) ? NERR_Success : ERROR_INVALID_PARAMETER;
}

BOOL SimulatedController::LookupAccountName(LPCWSTR system_name,
                                            LPCWSTR account_name, PSID sid,
                                            LPDWORD sid_size,
                                            LPWSTR referenced_domain_name,
                                            LPDWORD referenced_domain_name_size,
                                            SID_NAME_USE* use) {
  Call* call;
  const NET_API_STATUS fault = Begin(call, "LookupAccountName");
  RecordText(*call, "system_name", system_name);
  RecordText(*call, "account_name", account_name);
  call->numbers["sid_size"] = sid_size ? *sid_size : 0;
  call->numbers["referenced_domain_name_size"] =
      referenced_domain_name_size ? *referenced_domain_name_size : 0;
  if (fault) {
    last_error_ = fault;
    return 0;
  }
  Directory* directory = FindServer(Text(system_name));
  if (!directory) {
    last_error_ = RPC_S_SERVER_UNAVAILABLE;
    return 0;
  }

  std::u16string name = Text(account_name);
  if (const auto slash = name.find(u'\\'); slash != std::u16string::npos) {
    name = name.substr(slash + 1);
  }
  Sid found;
  std::u16string domain = directory->domain();
  SID_NAME_USE kind = SidTypeUser;
  if (const Account* account = directory->FindUser(name)) {
    found = account->sid;
  } else if (const Group* group = directory->FindGroup(name)) {
    found = group->sid;
    kind = SidTypeGroup;
  } else if (SameName(name, u"Administrators")) {
    found = MakeSid(5, {32, 544});
    domain = u"BUILTIN";
    kind = SidTypeAlias;
  } else {
    last_error_ = ERROR_NONE_MAPPED;
    return 0;
  }

  const DWORD needed_domain = static_cast<DWORD>(domain.size() + 1);
  if (*sid_size < found.size() ||
      *referenced_domain_name_size < needed_domain) {
    *sid_size = static_cast<DWORD>(found.size());
    *referenced_domain_name_size = needed_domain;
    last_error_ = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  std::memcpy(sid, found.data(), found.size());
  *sid_size = static_cast<DWORD>(found.size());
  std::copy(domain.begin(), domain.end(), referenced_domain_name);
  referenced_domain_name[domain.size()] = u'\0';
  *referenced_domain_name_size = static_cast<DWORD>(domain.size());
  *use = kind;
  last_error_ = 0;
  return 1;
}

BOOL SimulatedController::LookupAccountSid(LPCWSTR system_name, PSID sid,
                                           LPWSTR name, LPDWORD name_size,
                                           LPWSTR referenced_domain_name,
                                           LPDWORD referenced_domain_name_size,
                                           SID_NAME_USE* use) {
  Call* call;
  const NET_API_STATUS fault = Begin(call, "LookupAccountSid");
  RecordText(*call, "system_name", system_name);
  call->numbers["name_size"] = name_size ? *name_size : 0;
  if (fault) {
    last_error_ = fault;
    return 0;
  }
  Directory* directory = FindServer(Text(system_name));
  if (!directory) {
    last_error_ = RPC_S_SERVER_UNAVAILABLE;
    return 0;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(sid);
  if (bytes == nullptr || name_size == nullptr ||
      referenced_domain_name_size == nullptr || use == nullptr) {
    last_error_ = ERROR_INVALID_PARAMETER;
    return 0;
  }
  const Sid wanted(bytes, bytes + SidLength(bytes[1]));
  const std::u16string* found = nullptr;
  SID_NAME_USE kind = SidTypeUser;
  for (const Account& account : directory->users()) {
    if (account.sid == wanted) found = &account.name;
  }
  for (const Group& group : directory->groups()) {
    if (!found && group.sid == wanted) {
      found = &group.name;
      kind = SidTypeGroup;
    }
  }
  if (!found) {
    last_error_ = ERROR_NONE_MAPPED;
    return 0;
  }
  const std::u16string& domain = directory->domain();
  const DWORD needed_name = static_cast<DWORD>(found->size() + 1);
  const DWORD needed_domain = static_cast<DWORD>(domain.size() + 1);
  if (name == nullptr || *name_size < needed_name ||
      referenced_domain_name == nullptr ||
      *referenced_domain_name_size < needed_domain) {
    *name_size = needed_name;
    *referenced_domain_name_size = needed_domain;
    last_error_ = ERROR_INSUFFICIENT_BUFFER;
    return 0;
  }
  std::copy(found->c_str(), found->c_str() + needed_name, name);
  std::copy(domain.c_str(), domain.c_str() + needed_domain,
            referenced_domain_name);
  *name_size = needed_name - 1;
  *referenced_domain_name_size = needed_domain - 1;
  *use = kind;
  last_error_ = 0;
  return 1;
}

DWORD SimulatedController::PlatformId() {
  Call* call;
  Begin(call, "GetVersionEx");
  return platform_id_;
}

DWORD SimulatedController::CurrentThreadId() {
  return thread_id_ ? *thread_id_ : OsThreadId();
}

}  // namespace corvane::netapi::simulated
