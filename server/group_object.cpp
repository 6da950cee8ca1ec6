#include "server/group_object.h"

#include "contract/contract.h"

namespace corvane::server {

namespace slot = contract::group_slot;

GroupObject::GroupObject(automation::ObjectRef group, WrapperRegistry& registry)
    : DualObject(std::move(group), registry, IID_NTGroup) {}

HRESULT GroupObject::put_sComment(BSTR value) {
  return PutText(slot::kCommentLet, value);
}

HRESULT GroupObject::get_sComment(BSTR* ret) {
  return GetText(slot::kCommentGet, ret);
}

HRESULT GroupObject::get_sLastError(BSTR* ret) {
  return GetText(slot::kLastErrorGet, ret);
}

HRESULT GroupObject::get_oParent(::_NTDomain** ret) {
  return GetRelative(slot::kParentGet, IID__NTDomain, ret);
}

HRESULT GroupObject::get_Users(::NTUser** ret) {
  return GetRelative(slot::kUsersGet, IID_NTUser, ret);
}

HRESULT GroupObject::put_sGroupName(BSTR value) {
  return PutText(slot::kGroupNameLet, value);
}

HRESULT GroupObject::get_sGroupName(BSTR* ret) {
  return GetText(slot::kGroupNameGet, ret);
}

HRESULT GroupObject::Delete(VARIANT* sGroupName, VARIANT_BOOL* ret) {
  if (!sGroupName || !ret) return E_POINTER;
  return Guarded([&] {
    *ret = ToComBoolean(Run(slot::kDelete, {FromVariant(*sGroupName)}));
  });
}

HRESULT GroupObject::Add(BSTR* sGroupName, BSTR* sComment, VARIANT_BOOL* ret) {
  if (!sGroupName || !sComment || !ret) return E_POINTER;
  return Guarded([&] {
    *ret = ToComBoolean(
        Run(slot::kAdd, {FromBstr(*sGroupName), FromBstr(*sComment)}));
  });
}

HRESULT GroupObject::Enumerate(SAFEARRAY** TheList) {
  return DualObject::Enumerate(TheList);
}

}  // namespace corvane::server
