#include "server/by_value_arguments.h"

#include <algorithm>

namespace corvane::server {
namespace {

// Releases a FUNCDESC with the type info that handed it out.
class FunctionDescription {
 public:
  FunctionDescription(ITypeInfo& info, UINT index) : info_(info) {
    if (FAILED(info_.GetFuncDesc(index, &description_))) description_ = nullptr;
  }
  ~FunctionDescription() {
    if (description_) info_.ReleaseFuncDesc(description_);
  }
  FunctionDescription(const FunctionDescription&) = delete;
  FunctionDescription& operator=(const FunctionDescription&) = delete;

  const FUNCDESC* get() const { return description_; }

 private:
  ITypeInfo& info_;
  FUNCDESC* description_ = nullptr;
};

UINT FunctionCount(ITypeInfo& info) {
  TYPEATTR* attributes = nullptr;
  if (FAILED(info.GetTypeAttr(&attributes))) return 0;
  const UINT count = attributes->cFuncs;
  info.ReleaseTypeAttr(attributes);
  return count;
}

// A by-reference parameter of a type other than VARIANT or an array: what a
// script's by-reference variant cannot be passed to as it is.
bool TakesTypedReference(const ELEMDESC& parameter) {
  const TYPEDESC& type = parameter.tdesc;
  if (type.vt != VT_PTR || !type.lptdesc) return false;
  if (parameter.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) return false;
  const VARTYPE target = type.lptdesc->vt;
  return target != VT_VARIANT && target != VT_SAFEARRAY && target != VT_PTR;
}

// The parameter that argument `index` of `params` is for, or -1.
int ParameterOf(const DISPPARAMS& params, UINT index, int parameter_count) {
  if (index < params.cNamedArgs) {
    const DISPID name = params.rgdispidNamedArgs[index];
    if (name == DISPID_PROPERTYPUT) return parameter_count - 1;
    return name >= 0 && name < parameter_count ? static_cast<int>(name) : -1;
  }
  // Positional arguments come in reverse order after the named ones.
  const int position = static_cast<int>(params.cArgs - 1 - index);
  return position < parameter_count ? position : -1;
}

}  // namespace

ByValueArguments::ByValueArguments(ITypeInfo& info, DISPID id, WORD flags,
                                   const DISPPARAMS* call) {
  if (!call || !call->rgvarg) return;
  const DISPPARAMS& params = *call;
  if (std::none_of(params.rgvarg, params.rgvarg + params.cArgs,
                   [](const VARIANT& argument) {
                     return (V_VT(&argument) & VT_BYREF) != 0;
                   })) {
    return;
  }
  const UINT count = FunctionCount(info);
  for (UINT index = 0; index < count; ++index) {
    const FunctionDescription function(info, index);
    const FUNCDESC* description = function.get();
    if (!description || description->memid != id ||
        !(description->invkind & flags)) {
      continue;
    }
    arguments_.assign(params.rgvarg, params.rgvarg + params.cArgs);
    copied_.assign(params.cArgs, false);
    for (UINT argument = 0; argument < params.cArgs; ++argument) {
      const int parameter = ParameterOf(params, argument, description->cParams);
      if (parameter < 0 || !(V_VT(&arguments_[argument]) & VT_BYREF) ||
          !V_BYREF(&arguments_[argument]) ||
          !TakesTypedReference(description->lprgelemdescParam[parameter])) {
        continue;
      }
      VARIANT value;
      VariantInit(&value);
      // One that cannot be read stays as it is, for the type library to
      // refuse.
      if (FAILED(VariantCopyInd(&value, &arguments_[argument]))) continue;
      arguments_[argument] = value;
      copied_[argument] = true;
    }
    return;
  }
}

ByValueArguments::~ByValueArguments() {
  for (size_t argument = 0; argument < copied_.size(); ++argument) {
    if (copied_[argument]) VariantClear(&arguments_[argument]);
  }
}

DISPPARAMS* ByValueArguments::Apply(DISPPARAMS* params) {
  if (std::find(copied_.begin(), copied_.end(), true) == copied_.end()) {
    return params;
  }
  adjusted_ = *params;
  adjusted_.rgvarg = arguments_.data();
  return &adjusted_;
}

}  // namespace corvane::server
