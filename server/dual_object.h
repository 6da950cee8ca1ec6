// The COM side of one portable object: IUnknown, IDispatch and
// ISupportErrorInfo for one dual interface. Late-bound calls go to the type
// library's ITypeInfo::Invoke, which calls the interface's function table;
// the derived class implements that table by converting the arguments at
// the boundary and calling the portable object's InvokeSlot.
#pragma once

#include <atomic>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "server/bstr.h"
#include "server/by_value_arguments.h"
#include "server/com_error.h"
#include "server/variant_conversion.h"
#include "server/wrapper_registry.h"

namespace corvane::server {

template <typename Interface>
class DualObject : public Interface, public ISupportErrorInfo {
 public:
  DualObject(const DualObject&) = delete;
  DualObject& operator=(const DualObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_) {
      *out = static_cast<Interface*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID,
                                        ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    type_info_->AddRef();
    *out = type_info_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names,
                                          UINT count, LCID,
                                          DISPID* ids) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return type_info_->GetIDsOfNames(names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                   DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* excepinfo,
                                   UINT* arg_error) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    SetErrorInfo(0, nullptr);
    HRESULT outcome;
    if (IsScriptEnumerate(id, flags, params)) {
      outcome = EnumerateIntoVariant(*V_VARIANTREF(&params->rgvarg[0]));
      if (SUCCEEDED(outcome) && result) VariantInit(result);
      if (outcome == DISP_E_TYPEMISMATCH && arg_error) *arg_error = 0;
    } else {
      ByValueArguments arguments(*type_info_, id, flags, params);
      outcome = type_info_->Invoke(static_cast<Interface*>(this), id, flags,
                                   arguments.Apply(params), result, excepinfo,
                                   arg_error);
    }
    return ToDispatchFailure(outcome, excepinfo);
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == iid_ ? S_OK : S_FALSE;
  }

 protected:
  DualObject(automation::ObjectRef object, WrapperRegistry& registry,
             const IID& iid)
      : object_(std::move(object)),
        registry_(registry),
        iid_(iid),
        type_info_(registry.library().InfoOf(iid)) {
    const auto& members = object_->Contract().members;
    for (size_t slot = 0; slot < members.size(); ++slot) {
      if (members[slot].name == "Enumerate") {
        enumerate_ = {static_cast<int>(slot), members[slot].dispid};
      }
    }
    registry_.lifetime().AddReference();
  }
  virtual ~DualObject() {
    registry_.Forget(object_.get());
    // The portable object may end here and write its end message; the
    // server may exit only after that.
    object_.reset();
    registry_.lifetime().ReleaseReference();
  }

  automation::Variant Run(int slot,
                          std::vector<automation::Variant> args = {}) {
    return RunWith(slot, args);
  }
  // As Run, leaving in `args` what the member wrote to its by-reference
  // variants.
  automation::Variant RunWith(int slot,
                              std::vector<automation::Variant>& args) {
    return object_->InvokeSlot(slot, args);
  }

  HRESULT GetText(int slot, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&] {
      const automation::Variant result = Run(slot);
      *out = Bstr(result.As<std::u16string>()).Detach();
    });
  }
  HRESULT PutText(int slot, BSTR value) {
    return Guarded([&] { Run(slot, {FromBstr(value)}); });
  }
  HRESULT GetBoolean(int slot, VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    return Guarded([&] { *out = ToComBoolean(Run(slot)); });
  }
  HRESULT PutBoolean(int slot, VARIANT_BOOL value) {
    return Guarded([&] {
      Run(slot, {automation::Boolean{automation::ToVariantBool(value != 0)}});
    });
  }
  template <typename Number>
  HRESULT GetNumber(int slot, Number* out) {
    if (!out) return E_POINTER;
    return Guarded([&] {
      const automation::Variant result = Run(slot);
      *out = static_cast<Number>(result.As<std::int32_t>());
    });
  }
  // A child or owner object, as the interface `iid` of its COM object.
  template <typename Result>
  HRESULT GetRelative(int slot, const IID& iid, Result** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guarded([&] {
      const automation::Variant result = Run(slot);
      const ComPtr<IDispatch> wrapper =
          registry_.Wrap(result.As<automation::ObjectRef>());
      if (!wrapper) return;
      const HRESULT found =
          wrapper->QueryInterface(iid, reinterpret_cast<void**>(out));
      if (FAILED(found)) throw automation::AutomationError(found);
    });
  }
  // For the typed callers of Enumerate: the caller's SAFEARRAY(BSTR) is
  // replaced only when the listing changed it.
  HRESULT Enumerate(SAFEARRAY** list) {
    if (!list) return E_POINTER;
    return Guarded([&] {
      RunEnumerate(ReadStringArray(*list),
                   [&](const automation::StringArray& names) {
                     ScopedSafeArray replacement = WriteStringArray(names);
                     if (*list) SafeArrayDestroy(*list);
                     *list = replacement.Release();
                   });
    });
  }

  static VARIANT_BOOL ToComBoolean(const automation::Variant& value) {
    const automation::Boolean result = value.As<automation::Boolean>();
    return result.value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  // Shows a portable object as its COM object, a new reference.
  IDispatch* WrapForVariant(const automation::ObjectRef& object) {
    return registry_.Wrap(object).Detach();
  }

 private:
  struct EnumerateMember {
    int slot;
    DISPID dispid;
  };

  // Scripts pass TheList as a by-reference VARIANT, not as the
  // SAFEARRAY(BSTR)* the type library declares: such a call is served
  // here instead of being refused by the type library's coercion, and the
  // variant receives the strings as an array of variants, the one array
  // type every script engine indexes (some cannot index an array of BSTR).
  bool IsScriptEnumerate(DISPID id, WORD flags,
                         const DISPPARAMS* params) const {
    return enumerate_ && id == enumerate_->dispid &&
           (flags & DISPATCH_METHOD) && params && params->cArgs == 1 &&
           params->cNamedArgs == 0 &&
           V_VT(&params->rgvarg[0]) == (VT_BYREF | VT_VARIANT) &&
           V_VARIANTREF(&params->rgvarg[0]);
  }
  HRESULT EnumerateIntoVariant(VARIANT& target) {
    return Guarded([&] {
      automation::StringArray list;
      if (V_ISARRAY(&target)) {
        list = ReadStringArray(V_ISBYREF(&target) ? *V_ARRAYREF(&target)
                                                  : V_ARRAY(&target));
      } else if (V_VT(&target) != VT_EMPTY) {
        throw automation::AutomationError(DISP_E_TYPEMISMATCH);
      }
      RunEnumerate(std::move(list), [&](const automation::StringArray& names) {
        ScopedSafeArray replacement = WriteStringArray(names, VT_VARIANT);
        VariantClear(&target);
        V_VT(&target) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&target) = replacement.Release();
      });
    });
  }
  // Runs Enumerate on a copy of the caller's `list` and hands the result to
  // `deliver` when the listing changed it, also when the listing failed
  // part way: an overflow keeps the names gathered until then, and the
  // caller gets them with the error.
  template <typename Deliver>
  void RunEnumerate(automation::StringArray list, Deliver&& deliver) {
    auto array = std::make_shared<automation::StringArray>(std::move(list));
    const automation::StringArray before = *array;
    std::exception_ptr failure;
    try {
      Run(enumerate_->slot, {array});
    } catch (const automation::AutomationError&) {
      failure = std::current_exception();
    }
    if (!SameStringArray(before, *array)) deliver(*array);
    if (failure) std::rethrow_exception(failure);
  }

  automation::ObjectRef object_;
  WrapperRegistry& registry_;
  const IID& iid_;
  ITypeInfo* type_info_;  // owned by the registry's type library
  std::optional<EnumerateMember> enumerate_;
  std::atomic<ULONG> references_{1};
};

}  // namespace corvane::server
