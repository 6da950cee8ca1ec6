#include "group/nt_group.h"

#include "automation/coercion.h"
#include "automation/error.h"
#include "common/name_listing.h"
#include "common/result_text.h"
#include "common/string_buffers.h"
#include "domain/nt_domain.h"
#include "user/nt_user.h"

namespace corvane {

using automation::StringArray;
using automation::Variant;
using automation::VARIANT_FALSE;
using automation::VARIANT_TRUE;
using automation::VariantBool;
using common::ArgumentBuffer;
using common::RecordStrings;
using netapi::GROUP_INFO_1;

namespace {

constexpr std::u16string_view kNoGroupSpecified = u"No group specified";
constexpr netapi::DWORD kPreferredBatchBytes = 255;

}  // namespace

NTGroup::NTGroup(const common::Environment& env) : env_(env) {}

NTGroup::~NTGroup() = default;

void NTGroup::SetParent(const std::shared_ptr<NTDomain>& owner) {
  oParent_ = owner;
}

std::shared_ptr<NTDomain> NTGroup::Domain() const {
  auto domain = oParent_.lock();
  if (!domain) throw automation::AutomationError(automation::E_UNEXPECTED);
  return domain;
}

void NTGroup::Log(common::EventGate gate, const std::u16string& text) const {
  if (common::GatePasses(gate, Domain()->get_eLogging())) {
    env_.events.WriteInformation(text);
  }
}

automation::ObjectRef NTGroup::ClientReference() {
  return automation::PinnedReference(shared_from_this(),
                                     Domain()->ClientReference());
}

automation::ObjectRef NTGroup::get_oParent() {
  return Domain()->ClientReference();
}

automation::ObjectRef NTGroup::get_Users() {
  if (sGroupName_.empty()) {
    sLastError_ = common::Precondition(kNoGroupSpecified);
    return nullptr;
  }
  return Users_->ClientReference();
}

void NTGroup::put_sGroupName(const std::u16string& name) {
  // An empty name only clears the selection's name; the comment, the user
  // object and the last result stay.
  if (name.empty()) {
    sGroupName_.clear();
    return;
  }
  sGroupName_ = name;
  sLastError_ = common::kSuccess;

  const auto unselect = [this](std::u16string error) {
    sLastError_ = std::move(error);
    sComment_.clear();
    sGroupName_.clear();
    Users_.reset();
  };
  if (common::ContainsNul(name)) {
    unselect(std::u16string(common::kTextContainsNul));
    return;
  }
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer group(sGroupName_);
  netapi::ApiBuffer info(env_.api);
  const netapi::NET_API_STATUS status = KeepIfSucceeded(
      info, env_.api.NetGroupGetInfo(server.get(), group.get(), 1, info.put()));
  if (status != netapi::NERR_Success) {
    unselect(
        common::FailedCall(u"Unable to retrieve group information", status));
    return;
  }
  Users_ = std::make_shared<NTUser>(env_);
  Users_->SetParent(shared_from_this());
  sComment_ = common::ReadString(info.As<GROUP_INFO_1>()->grpi1_comment);
}

void NTGroup::put_sComment(const std::u16string& comment) {
  if (sGroupName_.empty()) {
    sLastError_ = common::Precondition(kNoGroupSpecified);
    sComment_.clear();
    return;
  }
  sLastError_ = common::kSuccess;
  // A failed change empties the cached comment, although the controller
  // still holds the old one; clients rely on that to see the change failed.
  const auto fail = [this](std::u16string error) {
    sLastError_ = std::move(error);
    sComment_.clear();
  };
  if (common::ContainsNul(comment)) {
    fail(std::u16string(common::kTextContainsNul));
    return;
  }
  constexpr std::u16string_view kAction = u"Unable to set group information";
  const ArgumentBuffer server(Domain()->get_sDC());
  const ArgumentBuffer group(sGroupName_);
  RecordStrings blocks(env_.api);
  GROUP_INFO_1 record{blocks.Add(sGroupName_), blocks.Add(comment)};
  if (blocks.status() != netapi::NERR_Success) {
    fail(common::FailedCall(kAction, blocks.status()));
    return;
  }
  netapi::DWORD parm_err = 0;
  const netapi::NET_API_STATUS status = env_.api.NetGroupSetInfo(
      server.get(), group.get(), 1, reinterpret_cast<netapi::LPBYTE>(&record),
      &parm_err);
  if (status != netapi::NERR_Success) {
    fail(common::FailedCall(kAction, status));
    return;
  }
  sComment_ = comment;
  Log(common::EventGate::kFull,
      u"Changed comment for group " + sGroupName_ + u" to " + comment);
}

VariantBool NTGroup::Add(const std::u16string& group_name,
                         const std::u16string& comment) {
  if (group_name.empty()) {
    sLastError_ = common::Precondition(kNoGroupSpecified);
    return VARIANT_FALSE;
  }
  sLastError_ = common::kSuccess;
  if (common::ContainsNul(group_name) || common::ContainsNul(comment)) {
    sLastError_ = common::kTextContainsNul;
    return VARIANT_FALSE;
  }
  const ArgumentBuffer server(Domain()->get_sDC());
  RecordStrings blocks(env_.api);
  GROUP_INFO_1 record{blocks.Add(group_name), blocks.Add(comment)};
  if (blocks.status() != netapi::NERR_Success) {
    sLastError_ = common::FailedAdd(blocks.status(), 0, u"group", group_name);
    return VARIANT_FALSE;
  }
  netapi::DWORD parm_err = 0;
  const netapi::NET_API_STATUS status = env_.api.NetGroupAdd(
      server.get(), 1, reinterpret_cast<netapi::LPBYTE>(&record), &parm_err);
  if (status != netapi::NERR_Success) {
    sLastError_ = common::FailedAdd(status, parm_err, u"group", group_name);
    return VARIANT_FALSE;
  }
  Log(common::EventGate::kAddDel, u"Added group " + group_name);
  return VARIANT_TRUE;
}

VariantBool NTGroup::Delete(const Variant& group_name) {
  sLastError_ = common::kSuccess;
  if (automation::EqualsEmptyString(group_name)) {
    sLastError_ = common::Precondition(kNoGroupSpecified);
    return VARIANT_FALSE;
  }
  const std::u16string name = automation::ToString(group_name);
  if (common::ContainsNul(name)) {
    sLastError_ = common::kTextContainsNul;
    return VARIANT_FALSE;
  }
  const ArgumentBuffer group(name);
  const ArgumentBuffer server(Domain()->get_sDC());
  const netapi::NET_API_STATUS status =
      env_.api.NetGroupDel(server.get(), group.get());
  if (status != netapi::NERR_Success) {
    sLastError_ = common::FailedCall(u"Unable to delete group", status);
    return VARIANT_FALSE;
  }
  Log(common::EventGate::kAddDel, u"Deleted group " + name);
  return VARIANT_TRUE;
}

// Lists every global group. Unlike a user list, the group list is not held
// to 32,767 names: the array's bounds are 32-bit, so a domain with more
// groups is listed whole. Enumerate never writes "SUCCESS": after a
// complete listing sLastError still holds the previous action's result.
void NTGroup::Enumerate(StringArray& list) {
  const std::u16string controller = Domain()->get_sDC();
  if (controller.empty()) return;
  const ArgumentBuffer server(controller);

  common::NameList names(list);
  netapi::DWORD_PTR resume_handle = 0;
  const auto failure = common::ListNames(
      env_.api,
      [&](netapi::LPBYTE* batch, netapi::LPDWORD read, netapi::LPDWORD total) {
        return env_.api.NetGroupEnum(server.get(), 0, batch,
                                     kPreferredBatchBytes, read, total,
                                     &resume_handle);
      },
      [&](std::u16string name) { names.Add(std::move(name)); });
  if (failure) {
    sLastError_ =
        common::FailedEnumeration(failure->status, failure->entries_read,
                                  failure->total_entries, u"group");
  }
}

const contract::Interface& NTGroup::Contract() const {
  return contract::kNTGroupInterface;
}

Variant NTGroup::InvokeSlot(int slot, std::span<Variant> args) {
  namespace s = contract::group_slot;
  switch (slot) {
    case s::kCommentLet:
      put_sComment(args[0].As<std::u16string>());
      return {};
    case s::kCommentGet:
      return get_sComment();
    case s::kLastErrorGet:
      return get_sLastError();
    case s::kParentGet:
      return get_oParent();
    case s::kUsersGet:
      return get_Users();
    case s::kGroupNameLet:
      put_sGroupName(args[0].As<std::u16string>());
      return {};
    case s::kGroupNameGet:
      return get_sGroupName();
    case s::kDelete:
      return automation::Boolean{Delete(args[0])};
    case s::kAdd:
      return automation::Boolean{
          Add(args[0].As<std::u16string>(), args[1].As<std::u16string>())};
    case s::kEnumerate:
      Enumerate(*args[0].As<automation::StringArrayRef>());
      return {};
  }
  throw automation::AutomationError(automation::DISP_E_MEMBERNOTFOUND);
}

}  // namespace corvane
