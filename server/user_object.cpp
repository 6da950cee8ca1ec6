#include "server/user_object.h"

#include <array>

#include "contract/contract.h"

namespace corvane::server {
namespace {

// The password parameter: a text goes straight into a secret, with no
// plain copy on the way; anything else converts as usual.
automation::Variant PasswordFromVariant(const VARIANT& value) {
  const VARIANT* text = &value;
  if (V_VT(text) == (VT_VARIANT | VT_BYREF)) text = V_VARIANTREF(text);
  if (V_VT(text) == VT_BSTR) return SecretFromBstr(V_BSTR(text));
  if (V_VT(text) == (VT_BSTR | VT_BYREF))
    return SecretFromBstr(*V_BSTRREF(text));
  return FromVariant(value);
}

}  // namespace

namespace slot = contract::user_slot;

UserObject::UserObject(automation::ObjectRef user, WrapperRegistry& registry)
    : DualObject(std::move(user), registry, IID_NTUser) {}

HRESULT UserObject::get_ePrivilege(ePriv* ret) {
  return GetNumber(slot::kPrivilegeGet, ret);
}

HRESULT UserObject::UnlockAccount() {
  return Guarded([&] { Run(slot::kUnlockAccount); });
}

HRESULT UserObject::get_bLockedOut(VARIANT_BOOL* ret) {
  return GetBoolean(slot::kLockedOutGet, ret);
}

HRESULT UserObject::put_bDisabled(VARIANT_BOOL value) {
  return PutBoolean(slot::kDisabledLet, value);
}

HRESULT UserObject::get_bDisabled(VARIANT_BOOL* ret) {
  return GetBoolean(slot::kDisabledGet, ret);
}

HRESULT UserObject::put_sFullName(BSTR* value) {
  if (!value) return E_POINTER;
  return PutText(slot::kFullNameLet, *value);
}

HRESULT UserObject::get_sFullName(BSTR* ret) {
  return GetText(slot::kFullNameGet, ret);
}

HRESULT UserObject::put_sScriptPath(BSTR value) {
  return PutText(slot::kScriptPathLet, value);
}

HRESULT UserObject::get_sScriptPath(BSTR* ret) {
  return GetText(slot::kScriptPathGet, ret);
}

HRESULT UserObject::put_sComment(BSTR value) {
  return PutText(slot::kCommentLet, value);
}

HRESULT UserObject::get_sComment(BSTR* ret) {
  return GetText(slot::kCommentGet, ret);
}

HRESULT UserObject::put_sHomeDir(BSTR value) {
  return PutText(slot::kHomeDirLet, value);
}

HRESULT UserObject::get_sHomeDir(BSTR* ret) {
  return GetText(slot::kHomeDirGet, ret);
}

HRESULT UserObject::put_sPassword(BSTR value) {
  return Guarded([&] { Run(slot::kPasswordLet, {SecretFromBstr(value)}); });
}

HRESULT UserObject::get_sLastError(BSTR* ret) {
  return GetText(slot::kLastErrorGet, ret);
}

HRESULT UserObject::get_oParent(IDispatch** ret) {
  return GetRelative(slot::kParentGet, IID_IDispatch, ret);
}

HRESULT UserObject::put_sUserName(BSTR value) {
  return PutText(slot::kUserNameLet, value);
}

HRESULT UserObject::get_sUserName(BSTR* ret) {
  return GetText(slot::kUserNameGet, ret);
}

HRESULT UserObject::get_sSID(BSTR* ret) { return GetText(slot::kSIDGet, ret); }

HRESULT UserObject::Delete(VARIANT_BOOL* ret) {
  if (!ret) return E_POINTER;
  return Guarded([&] { *ret = ToComBoolean(Run(slot::kDelete)); });
}

// The optional parameters are the caller's variants, by reference: an
// omitted one (or a null pointer) is Missing, and whatever the member
// leaves in one goes back to the caller.
HRESULT UserObject::Add(BSTR* sUName, VARIANT* sPWD, VARIANT* sHomeDir,
                        VARIANT* sComment, VARIANT* sScript, VARIANT* sFName,
                        VARIANT* ePrivLevel, VARIANT* bDis, VARIANT_BOOL* ret) {
  if (!sUName || !ret) return E_POINTER;
  return Guarded([&] {
    const std::array<VARIANT*, 7> optional = {
        sPWD, sHomeDir, sComment, sScript, sFName, ePrivLevel, bDis};
    std::vector<automation::Variant> args;
    args.reserve(1 + optional.size());
    args.emplace_back(FromBstr(*sUName));
    for (VARIANT* value : optional) {
      if (!value) {
        args.emplace_back(automation::Missing{});
      } else {
        args.push_back(value == sPWD ? PasswordFromVariant(*value)
                                     : FromVariant(*value));
      }
    }
    const std::vector<automation::Variant> passed = args;
    *ret = ToComBoolean(RunWith(slot::kAdd, args));
    for (size_t i = 0; i < optional.size(); ++i) {
      const automation::Variant& now = args[i + 1];
      if (!optional[i] || now.value() == passed[i + 1].value()) continue;
      ScopedVariant converted;
      ToVariant(now, *converted.get(),
                [this](const automation::ObjectRef& object) {
                  return WrapForVariant(object);
                });
      VariantClear(optional[i]);
      *optional[i] = converted.Detach();
    }
  });
}

HRESULT UserObject::Enumerate(SAFEARRAY** TheList) {
  return DualObject::Enumerate(TheList);
}

}  // namespace corvane::server
