#include "server/variant_conversion.h"

#include <memory>

#include "automation/coercion.h"
#include "server/bstr.h"

namespace corvane::server {
namespace {

// The type library's locale: numbers become text as an en-US client
// writes them.
constexpr LCID kLibraryLocale = 0x409;

[[noreturn]] void Mismatch() {
  throw automation::AutomationError(DISP_E_TYPEMISMATCH);
}

void Check(HRESULT hresult) {
  if (FAILED(hresult)) throw automation::AutomationError(hresult);
}

automation::Variant AsText(const VARIANT& value) {
  ScopedVariant text;
  if (FAILED(VariantChangeTypeEx(text.get(), const_cast<VARIANT*>(&value),
                                 kLibraryLocale, 0, VT_BSTR))) {
    Mismatch();
  }
  return FromBstr(V_BSTR(text.get()));
}

}  // namespace

automation::Variant FromVariant(const VARIANT& value) {
  ScopedVariant direct;
  // The platform takes the source as non-const but only reads it.
  Check(VariantCopyInd(direct.get(), const_cast<VARIANT*>(&value)));
  const VARIANT& v = *direct.get();
  switch (V_VT(&v)) {
    case VT_EMPTY:
      return automation::Empty{};
    case VT_NULL:
      return automation::Null{};
    case VT_ERROR:
      if (V_ERROR(&v) == DISP_E_PARAMNOTFOUND) return automation::Missing{};
      Mismatch();
    case VT_I2:
      return static_cast<std::int16_t>(V_I2(&v));
    case VT_I4:
      return static_cast<std::int32_t>(V_I4(&v));
    case VT_UI1:
      return static_cast<std::int32_t>(V_UI1(&v));
    case VT_I1:
      return static_cast<std::int32_t>(V_I1(&v));
    case VT_UI2:
      return static_cast<std::int32_t>(V_UI2(&v));
    case VT_BOOL:
      return automation::Boolean{automation::ToVariantBool(V_BOOL(&v) != 0)};
    case VT_BSTR:
      return FromBstr(V_BSTR(&v));
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_DECIMAL:
      return AsText(v);
    default:
      Mismatch();
  }
}

void ToVariant(const automation::Variant& value, VARIANT& out,
               const ObjectWrapper& wrap) {
  VariantInit(&out);
  if (value.Is<automation::Empty>()) return;
  if (value.Is<automation::Missing>()) {
    V_VT(&out) = VT_ERROR;
    V_ERROR(&out) = DISP_E_PARAMNOTFOUND;
  } else if (value.Is<automation::Null>()) {
    V_VT(&out) = VT_NULL;
  } else if (value.Is<std::int16_t>()) {
    V_VT(&out) = VT_I2;
    V_I2(&out) = value.As<std::int16_t>();
  } else if (value.Is<std::int32_t>()) {
    V_VT(&out) = VT_I4;
    V_I4(&out) = value.As<std::int32_t>();
  } else if (value.Is<automation::Boolean>()) {
    V_VT(&out) = VT_BOOL;
    V_BOOL(&out) =
        value.As<automation::Boolean>().value ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (value.Is<std::u16string>()) {
    V_BSTR(&out) = Bstr(value.As<std::u16string>()).Detach();
    V_VT(&out) = VT_BSTR;
  } else if (value.Is<automation::ObjectRef>()) {
    V_DISPATCH(&out) = wrap(value.As<automation::ObjectRef>());
    V_VT(&out) = VT_DISPATCH;
  } else if (value.Is<automation::StringArrayRef>()) {
    const auto& array = value.As<automation::StringArrayRef>();
    if (!array) Mismatch();
    V_ARRAY(&out) = WriteStringArray(*array).Release();
    V_VT(&out) = VT_ARRAY | VT_BSTR;
  } else {
    Mismatch();
  }
}

automation::StringArray ReadStringArray(SAFEARRAY* array) {
  if (!array) return {};
  if (SafeArrayGetDim(array) != 1) Mismatch();
  VARTYPE type = VT_EMPTY;
  Check(SafeArrayGetVartype(array, &type));
  if (type != VT_BSTR && type != VT_VARIANT) Mismatch();
  LONG lower = 0;
  LONG upper = -1;
  Check(SafeArrayGetLBound(array, 1, &lower));
  Check(SafeArrayGetUBound(array, 1, &upper));

  constexpr USHORT kFixedSize =
      FADF_FIXEDSIZE | FADF_STATIC | FADF_AUTO | FADF_EMBEDDED;
  automation::StringArray result;
  if (array->fFeatures & kFixedSize) {
    result = automation::StringArray::FixedSize(lower, upper);
  } else {
    result.Redim(lower, upper);
  }
  for (LONG index = lower; index <= upper; ++index) {
    if (type == VT_BSTR) {
      BSTR element = nullptr;
      Check(SafeArrayGetElement(array, &index, &element));
      const std::unique_ptr<OLECHAR, void (*)(BSTR)> owned(element,
                                                           &SysFreeString);
      result.Set(index, FromBstr(element));
    } else {
      ScopedVariant element;
      Check(SafeArrayGetElement(array, &index, element.get()));
      result.Set(index, automation::ToString(FromVariant(*element.get())));
    }
  }
  if (array->cLocks > 0) result.Lock();
  return result;
}

ScopedSafeArray WriteStringArray(const automation::StringArray& array,
                                 VARTYPE element_type) {
  if (element_type != VT_BSTR && element_type != VT_VARIANT) Mismatch();
  ScopedSafeArray result(SafeArrayCreateVector(
      element_type, array.LowerBound(), static_cast<ULONG>(array.size())));
  if (!result.get()) throw automation::AutomationError(E_OUTOFMEMORY);
  LONG index = array.LowerBound();
  for (const std::u16string& element : array.elements()) {
    Bstr text(element);
    if (element_type == VT_BSTR) {
      Check(SafeArrayPutElement(result.get(), &index, text.get()));
    } else {
      ScopedVariant holder;
      V_BSTR(holder.get()) = text.Detach();
      V_VT(holder.get()) = VT_BSTR;
      Check(SafeArrayPutElement(result.get(), &index, holder.get()));
    }
    ++index;
  }
  return result;
}

bool SameStringArray(const automation::StringArray& a,
                     const automation::StringArray& b) {
  return a.LowerBound() == b.LowerBound() && a.elements() == b.elements();
}

}  // namespace corvane::server
