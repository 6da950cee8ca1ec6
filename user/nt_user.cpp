#include "user/nt_user.h"

#include <algorithm>
#include <limits>

#include "automation/coercion.h"
#include "automation/error.h"
#include "common/name_listing.h"
#include "common/result_text.h"
#include "common/string_buffers.h"
#include "domain/nt_domain.h"
#include "group/nt_group.h"

namespace corvane {

using automation::StringArray;
using automation::Variant;
using automation::VARIANT_FALSE;
using automation::VARIANT_TRUE;
using automation::VariantBool;
using common::ArgumentBuffer;
using common::EventGate;
using netapi::DWORD;
using netapi::LPBYTE;
using netapi::NERR_Success;
using netapi::NET_API_STATUS;

namespace {

constexpr std::u16string_view kNoUserSpecified = u"No user specified";
constexpr DWORD kPreferredBatchBytes = 255;

std::u16string NoGlobalGroup(const std::u16string& group) {
  return u"ERROR - There is no **GLOBAL** group '" + group + u"'";
}

}  // namespace

// One of the five text attributes written through a single-field level of
// NetUserSetInfo. Each of those levels is a record holding one string
// pointer, so one layout serves them all.
struct NTUser::TextAttribute {
  DWORD level;
  std::u16string_view action;
  std::u16string_view event;
  std::u16string NTUser::*cache;  // null: the value is never kept
};

namespace {

// Every single-field text level has this layout.
struct OneTextField {
  netapi::LPWSTR value;
};
static_assert(sizeof(OneTextField) == sizeof(netapi::USER_INFO_1011));
static_assert(sizeof(OneTextField) == sizeof(netapi::USER_INFO_1003));

}  // namespace

NTUser::NTUser(const common::Environment& env) : env_(env) {}

void NTUser::SetParent(const automation::ObjectRef& owner) {
  if (!owner)
    throw automation::AutomationError(automation::DISP_E_TYPEMISMATCH);
  // The owner's own reference, not a client's: a client reference would
  // tie this object to that client's lifetime.
  std::shared_ptr<automation::Dispatchable> canonical =
      owner->shared_from_this();
  if (auto domain = std::dynamic_pointer_cast<NTDomain>(canonical)) {
    bParentIsDomain_ = true;
    oGroup_.reset();
    oDomain_ = domain;
  } else if (auto group = std::dynamic_pointer_cast<NTGroup>(canonical)) {
    bParentIsDomain_ = false;
    oGroup_ = group;
    oDomain_ = group->Domain();
  } else {
    throw automation::AutomationError(automation::DISP_E_TYPEMISMATCH);
  }
  oParent_ = canonical;
}

std::shared_ptr<NTDomain> NTUser::Domain() const {
  auto domain = oDomain_.lock();
  if (!domain) throw automation::AutomationError(automation::E_UNEXPECTED);
  return domain;
}

std::shared_ptr<NTGroup> NTUser::Group() const {
  auto group = oGroup_.lock();
  if (!group) throw automation::AutomationError(automation::E_UNEXPECTED);
  return group;
}

void NTUser::Log(EventGate gate, const std::u16string& text) const {
  if (common::GatePasses(gate, Domain()->get_eLogging())) {
    env_.events.WriteInformation(text);
  }
}

automation::ObjectRef NTUser::ClientReference() {
  return automation::PinnedReference(shared_from_this(), get_oParent());
}

automation::ObjectRef NTUser::get_oParent() {
  auto owner = oParent_.lock();
  if (!owner) throw automation::AutomationError(automation::E_UNEXPECTED);
  return owner->ClientReference();
}

void NTUser::ClearSelection() {
  sUserName_.clear();
  sComment_.clear();
  sScriptPath_.clear();
  sFullName_.clear();
  sHomeDir_.clear();
  bDisabled_ = VARIANT_FALSE;
  bLockedOut_ = VARIANT_FALSE;
  ePrivilege_ = 0;
}

void NTUser::put_sUserName(const std::u16string& name) {
  sUserName_ = name;
  sLastError_ = common::kSuccess;
  if (common::ContainsNul(name)) {
    sLastError_ = common::kTextContainsNul;
    ClearSelection();
    return;
  }
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer user(sUserName_);
  netapi::ApiBuffer info(env_.api);
  const NET_API_STATUS status = KeepIfSucceeded(
      info, env_.api.NetUserGetInfo(server.get(), user.get(), 2, info.put()));
  if (status != NERR_Success) {
    sLastError_ =
        common::FailedCall(u"Unable to retrieve user information", status);
    ClearSelection();
    return;
  }
  const auto* record = info.As<netapi::USER_INFO_2>();
  ePrivilege_ = static_cast<std::int32_t>(record->usri2_priv);
  sHomeDir_ = common::ReadString(record->usri2_home_dir);
  sComment_ = common::ReadString(record->usri2_comment);
  lFlags_ = record->usri2_flags;
  bDisabled_ = automation::ToVariantBool(lFlags_ & netapi::UF_ACCOUNTDISABLE);
  bLockedOut_ = automation::ToVariantBool(lFlags_ & netapi::UF_LOCKOUT);
  sScriptPath_ = common::ReadString(record->usri2_script_path);
  sFullName_ = common::ReadString(record->usri2_full_name);
}

void NTUser::SetTextAttribute(const TextAttribute& attribute,
                              std::u16string_view value) {
  if (sUserName_.empty()) {
    sLastError_ = common::Precondition(kNoUserSpecified);
    return;
  }
  if (common::ContainsNul(value)) {
    sLastError_ = common::kTextContainsNul;
    return;
  }
  const bool secret = attribute.cache == nullptr;
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer user(sUserName_);
  NET_API_STATUS status;
  {
    common::RecordStrings blocks(env_.api);
    OneTextField record{secret ? blocks.AddSecret(value) : blocks.Add(value)};
    status = blocks.status();
    if (status == NERR_Success) {
      DWORD parm_err = 0;
      status =
          env_.api.NetUserSetInfo(server.get(), user.get(), attribute.level,
                                  reinterpret_cast<LPBYTE>(&record), &parm_err);
    }
  }
  if (status != NERR_Success) {
    sLastError_ = common::FailedCall(attribute.action, status);
    return;
  }
  if (!secret) this->*attribute.cache = value;
  sLastError_ = common::kSuccess;
  // A password never appears in an event.
  std::u16string event = std::u16string(attribute.event) + sUserName_;
  if (!secret) event.append(u" to ").append(value);
  Log(EventGate::kFull, event);
}

void NTUser::put_sFullName(const std::u16string& full_name) {
  static constexpr TextAttribute kFullName{1011, u"Unable to set full name",
                                           u"Changed full name for user ",
                                           &NTUser::sFullName_};
  SetTextAttribute(kFullName, full_name);
}

void NTUser::put_sScriptPath(const std::u16string& script_path) {
  static constexpr TextAttribute kScriptPath{1009, u"Unable to set script path",
                                             u"Changed login script for user ",
                                             &NTUser::sScriptPath_};
  SetTextAttribute(kScriptPath, script_path);
}

void NTUser::put_sComment(const std::u16string& comment) {
  static constexpr TextAttribute kComment{1007, u"Unable to set comment",
                                          u"Set comment for user ",
                                          &NTUser::sComment_};
  SetTextAttribute(kComment, comment);
}

void NTUser::put_sHomeDir(const std::u16string& home_dir) {
  static constexpr TextAttribute kHomeDir{1006, u"Unable to set home directory",
                                          u"Changed home directory for user ",
                                          &NTUser::sHomeDir_};
  SetTextAttribute(kHomeDir, home_dir);
}

void NTUser::put_sPassword(const automation::Secret& password) {
  static constexpr TextAttribute kPassword{1003, u"Unable to set password",
                                           u"Set password for user ", nullptr};
  SetTextAttribute(kPassword, password.view());
}

// Changes one bit of the account's flags word. The word is read from the
// controller first, so that a change made there since the selection (by an
// administrator, or to another account of the same name after the domain
// moved to another controller) is kept rather than overwritten with the
// word cached at selection.
void NTUser::ChangeFlag(DWORD bit, bool set, std::u16string_view action,
                        const std::u16string& event_text) {
  if (sUserName_.empty()) {
    sLastError_ = common::Precondition(kNoUserSpecified);
    return;
  }
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer user(sUserName_);
  DWORD flags;
  {
    netapi::ApiBuffer info(env_.api);
    const NET_API_STATUS status = KeepIfSucceeded(
        info, env_.api.NetUserGetInfo(server.get(), user.get(), 2, info.put()));
    if (status != NERR_Success) {
      sLastError_ = common::FailedCall(action, status);
      return;
    }
    flags = info.As<netapi::USER_INFO_2>()->usri2_flags;
  }
  flags = set ? (flags | bit) : (flags & ~bit);
  netapi::USER_INFO_1008 record{flags};
  DWORD parm_err = 0;
  const NET_API_STATUS status =
      env_.api.NetUserSetInfo(server.get(), user.get(), 1008,
                              reinterpret_cast<LPBYTE>(&record), &parm_err);
  if (status != NERR_Success) {
    sLastError_ = common::FailedCall(action, status);
    return;
  }
  lFlags_ = flags;
  bDisabled_ = automation::ToVariantBool(flags & netapi::UF_ACCOUNTDISABLE);
  bLockedOut_ = automation::ToVariantBool(flags & netapi::UF_LOCKOUT);
  sLastError_ = common::kSuccess;
  Log(EventGate::kFull, event_text);
}

void NTUser::put_bDisabled(VariantBool disabled) {
  ChangeFlag(netapi::UF_ACCOUNTDISABLE, disabled != 0,
             u"Unable to set disabled status",
             u"Changed disabled flag for user " + sUserName_ + u" to " +
                 automation::BooleanText(disabled));
}

void NTUser::UnlockAccount() {
  ChangeFlag(netapi::UF_LOCKOUT, false, u"Unable to set lockout status",
             u"Unlocked user " + sUserName_);
}

std::u16string NTUser::get_sSID() {
  constexpr std::u16string_view kAction = u"Unable to retrieve SID";
  if (sUserName_.empty()) {
    sLastError_ = common::Precondition(kNoUserSpecified);
    return {};
  }
  sLastError_ = common::kSuccess;
  const ArgumentBuffer account(sUserName_);

  // Sizing call: an empty SID buffer makes the lookup report the size.
  DWORD sid_size = 0;
  DWORD domain_size = 1;
  netapi::BYTE no_sid[1] = {};
  netapi::WCHAR no_domain[1] = {};
  netapi::SID_NAME_USE use{};
  {
    const ArgumentBuffer server(Domain()->get_sDC());
    const netapi::BOOL found =
        env_.api.LookupAccountName(server.get(), account.get(), no_sid,
                                   &sid_size, no_domain, &domain_size, &use);
    const DWORD error = env_.api.LastError();
    // Any end but "buffer too small" is a failure, never an empty success.
    if (found || error != netapi::ERROR_INSUFFICIENT_BUFFER) {
      sLastError_ = common::FailedCall(kAction, error);
      return {};
    }
  }

  NET_API_STATUS allocated;
  const netapi::ApiBuffer sid =
      netapi::AllocateApiBuffer(env_.api, sid_size, allocated);
  if (allocated != NERR_Success) {
    sLastError_ = common::FailedCall(kAction, allocated);
    return {};
  }
  // The referenced domain is not used, but must fit: never less room than
  // the sizing call asked for.
  domain_size = std::max<DWORD>(255, domain_size);
  std::u16string domain(domain_size, u' ');
  const ArgumentBuffer server(Domain()->get_sDC());
  if (!env_.api.LookupAccountName(server.get(), account.get(), sid.get(),
                                  &sid_size, domain.data(), &domain_size,
                                  &use)) {
    sLastError_ = common::FailedCall(kAction, env_.api.LastError());
    return {};
  }
  std::u16string text;
  const auto* bytes = static_cast<const netapi::BYTE*>(sid.get());
  for (DWORD i = 0; i < sid_size; ++i) text += common::Decimal(bytes[i]);
  return text;
}

VariantBool NTUser::Delete() {
  if (sUserName_.empty()) {
    sLastError_ = common::Precondition(u"No current user to delete");
    return VARIANT_FALSE;
  }
  sLastError_ = common::kSuccess;
  return bParentIsDomain_ ? DeleteFromDomain(sUserName_)
                          : RemoveFromGroup(sUserName_);
}

VariantBool NTUser::DeleteFromDomain(const std::u16string& name) {
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer user(name);
  const NET_API_STATUS status = env_.api.NetUserDel(server.get(), user.get());
  if (status != NERR_Success) {
    sLastError_ = common::FailedCall(u"Unable to delete user " + name, status);
    return VARIANT_FALSE;
  }
  sLastError_ = common::kSuccess;
  if (common::GatePasses(EventGate::kAddDel, Domain()->get_eLogging())) {
    env_.events.WriteInformation(u"Delete user " + name + u" from " +
                                 Domain()->get_sDomain());
  }
  return VARIANT_TRUE;
}

VariantBool NTUser::RemoveFromGroup(const std::u16string& name) {
  const auto group = Group();
  if (group->get_sGroupName().empty()) {
    sLastError_ = common::Precondition(u"No group selected");
    return VARIANT_FALSE;
  }
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer group_name(group->get_sGroupName());
  const ArgumentBuffer user(name);
  const NET_API_STATUS status =
      env_.api.NetGroupDelUser(server.get(), group_name.get(), user.get());
  if (status == NERR_Success) {
    sLastError_ = common::kSuccess;
    Log(EventGate::kAddDel,
        u"Deleted user " + name + u" from " + group->get_sGroupName());
    return VARIANT_TRUE;
  }
  if (status == netapi::NERR_GroupNotFound) {
    sLastError_ = NoGlobalGroup(group->get_sGroupName());
  } else {
    sLastError_ =
        common::FailedCall(u"Unable to remove user " + name + u" from group " +
                               group->get_sGroupName(),
                           status);
  }
  return VARIANT_FALSE;
}

VariantBool NTUser::Add(const std::u16string& name, Variant& password,
                        Variant& home_dir, Variant& comment, Variant& script,
                        Variant& full_name, Variant& privilege,
                        Variant& disabled) {
  if (name.empty()) {
    sLastError_ = common::Precondition(u"User name not specified");
    return VARIANT_FALSE;
  }
  sLastError_ = common::kSuccess;
  if (!bParentIsDomain_) return AddToGroup(name);

  // Converted in this order; a missing or unconvertible value raises the
  // type-mismatch error before anything is sent. Every parameter is
  // required for a domain account, texts included.
  const VariantBool disabled_flag = automation::ToBoolean(disabled);
  const std::int32_t privilege_level = automation::ToInt32(privilege);
  const std::u16string full_name_text = automation::ToString(full_name);
  const std::u16string script_text = automation::ToString(script);
  const std::u16string comment_text = automation::ToString(comment);
  const std::u16string home_dir_text = automation::ToString(home_dir);
  const automation::SecretRef password_text = automation::ToSecret(password);
  return AddToDomain(name, *password_text, home_dir_text, comment_text,
                     script_text, full_name_text, privilege_level,
                     disabled_flag);
}

VariantBool NTUser::AddToDomain(const std::u16string& name,
                                const automation::Secret& password,
                                const std::u16string& home_dir,
                                const std::u16string& comment,
                                const std::u16string& script,
                                const std::u16string& full_name,
                                std::int32_t privilege, VariantBool disabled) {
  sLastError_ = common::kSuccess;
  for (const std::u16string_view text :
       {std::u16string_view(name), password.view(),
        std::u16string_view(home_dir), std::u16string_view(comment),
        std::u16string_view(script), std::u16string_view(full_name)}) {
    if (common::ContainsNul(text)) {
      sLastError_ = common::kTextContainsNul;
      return VARIANT_FALSE;
    }
  }
  {
    const ArgumentBuffer server(Domain()->get_sDC());
    common::RecordStrings blocks(env_.api);
    netapi::USER_INFO_1 record{};
    record.usri1_name = blocks.Add(name);
    record.usri1_password = blocks.AddSecret(password.view());
    record.usri1_home_dir = blocks.Add(home_dir);
    record.usri1_comment = blocks.Add(comment);
    record.usri1_script_path = blocks.Add(script);
    if (blocks.status() != NERR_Success) {
      sLastError_ = common::FailedAdd(blocks.status(), 0, u"user", name);
      return VARIANT_FALSE;
    }
    record.usri1_password_age = 0;
    record.usri1_priv = static_cast<DWORD>(privilege);
    record.usri1_flags = netapi::UF_NORMAL_ACCOUNT | netapi::UF_SCRIPT |
                         (disabled ? netapi::UF_ACCOUNTDISABLE : 0);
    DWORD parm_err = 0;
    const NET_API_STATUS status = env_.api.NetUserAdd(
        server.get(), 1, reinterpret_cast<LPBYTE>(&record), &parm_err);
    if (status != NERR_Success) {
      sLastError_ = common::FailedAdd(status, parm_err, u"user", name);
      return VARIANT_FALSE;
    }
  }
  // The new account becomes the selection, and its full name is written
  // through the object's own members, with their results and events. The
  // account exists from here on, so Add reports true even when the
  // selection or the full-name write fails: sLastError then holds that
  // step's error text, and the account is left without its full name.
  put_sUserName(name);
  put_sFullName(full_name);
  if (common::GatePasses(EventGate::kAddDel, Domain()->get_eLogging())) {
    env_.events.WriteInformation(u"Added user " + name + u" to " +
                                 Domain()->get_sDomain());
  }
  return VARIANT_TRUE;
}

VariantBool NTUser::AddToGroup(const std::u16string& name) {
  sLastError_ = common::kSuccess;
  if (common::ContainsNul(name)) {
    sLastError_ = common::kTextContainsNul;
    return VARIANT_FALSE;
  }
  const auto group = Group();
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer group_name(group->get_sGroupName());
  const ArgumentBuffer user(name);
  const NET_API_STATUS status =
      env_.api.NetGroupAddUser(server.get(), group_name.get(), user.get());
  if (status == netapi::NERR_GroupNotFound) {
    sLastError_ = NoGlobalGroup(group->get_sGroupName());
    return VARIANT_FALSE;
  }
  if (status != NERR_Success) {
    // Reported, where a silent "SUCCESS" would hide the failure.
    sLastError_ = common::FailedCall(
        u"Unable to add user " + name + u" to group " + group->get_sGroupName(),
        status);
    return VARIANT_FALSE;
  }
  Log(EventGate::kAddDel,
      u"Added user " + name + u" to " + group->get_sGroupName());
  return VARIANT_TRUE;
}

// Lists the normal accounts of the domain, or the members of the group its
// group owner has selected now. The name count is 16-bit: the 32,768th name
// raises the overflow error, with the first 32,767 names kept.
void NTUser::Enumerate(StringArray& list) {
  std::u16string group_name;
  if (!bParentIsDomain_) group_name = Group()->get_sGroupName();
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer group(group_name);

  common::NameList names(list);
  sLastError_ = common::kSuccess;
  DWORD user_resume = 0;
  netapi::DWORD_PTR member_resume = 0;
  const auto next_batch = [&](LPBYTE* batch, netapi::LPDWORD read,
                              netapi::LPDWORD total) {
    return bParentIsDomain_
               ? env_.api.NetUserEnum(
                     server.get(), 0, netapi::FILTER_NORMAL_ACCOUNT, batch,
                     kPreferredBatchBytes, read, total, &user_resume)
               : env_.api.NetGroupGetUsers(server.get(), group.get(), 0, batch,
                                           kPreferredBatchBytes, read, total,
                                           &member_resume);
  };
  const auto store = [&](std::u16string name) {
    if (names.count() == std::numeric_limits<std::int16_t>::max()) {
      throw automation::AutomationError(automation::DISP_E_OVERFLOW);
    }
    names.Add(std::move(name));
  };
  const auto failure = common::ListNames(env_.api, next_batch, store);
  if (!failure) return;
  sLastError_ = common::FailedEnumeration(
      failure->status, failure->entries_read, failure->total_entries, u"user");
  if (failure->status == netapi::NERR_GroupNotFound && !bParentIsDomain_) {
    sLastError_ += u"\r\nThere is no **GLOBAL** group '" +
                   Group()->get_sGroupName() + u"'";
  }
}

const contract::Interface& NTUser::Contract() const {
  return contract::kNTUserInterface;
}

Variant NTUser::InvokeSlot(int slot, std::span<Variant> args) {
  namespace s = contract::user_slot;
  const auto text = [&](int i) -> const std::u16string& {
    return args[i].As<std::u16string>();
  };
  switch (slot) {
    case s::kPrivilegeGet:
      return get_ePrivilege();
    case s::kUnlockAccount:
      UnlockAccount();
      return {};
    case s::kLockedOutGet:
      return automation::Boolean{get_bLockedOut()};
    case s::kDisabledLet:
      put_bDisabled(args[0].As<automation::Boolean>().value);
      return {};
    case s::kDisabledGet:
      return automation::Boolean{get_bDisabled()};
    case s::kFullNameLet:
      put_sFullName(text(0));
      return {};
    case s::kFullNameGet:
      return get_sFullName();
    case s::kScriptPathLet:
      put_sScriptPath(text(0));
      return {};
    case s::kScriptPathGet:
      return get_sScriptPath();
    case s::kCommentLet:
      put_sComment(text(0));
      return {};
    case s::kCommentGet:
      return get_sComment();
    case s::kHomeDirLet:
      put_sHomeDir(text(0));
      return {};
    case s::kHomeDirGet:
      return get_sHomeDir();
    case s::kPasswordLet:
      put_sPassword(*automation::ToSecret(args[0]));
      return {};
    case s::kLastErrorGet:
      return get_sLastError();
    case s::kParentGet:
      return get_oParent();
    case s::kUserNameLet:
      put_sUserName(text(0));
      return {};
    case s::kUserNameGet:
      return get_sUserName();
    case s::kSIDGet:
      return get_sSID();
    case s::kDelete:
      return automation::Boolean{Delete()};
    case s::kAdd:
      return automation::Boolean{Add(text(0), args[1], args[2], args[3],
                                     args[4], args[5], args[6], args[7])};
    case s::kEnumerate:
      Enumerate(*args[0].As<automation::StringArrayRef>());
      return {};
  }
  throw automation::AutomationError(automation::DISP_E_MEMBERNOTFOUND);
}

}  // namespace corvane
