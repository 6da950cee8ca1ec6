// VARIANT and SAFEARRAY at the COM boundary, to and from the portable
// automation::Variant and StringArray. Values the portable layer has no
// type for raise DISP_E_TYPEMISMATCH.
#pragma once

#include <functional>

#include "server/windows_headers.h"

namespace corvane::server {

// Owns one VARIANT, cleared with its owner.
class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&value_); }
  ~ScopedVariant() { VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  VARIANT* get() { return &value_; }
  VARIANT Detach() {
    VARIANT value = value_;
    VariantInit(&value_);
    return value;
  }

 private:
  VARIANT value_;
};

// Owns one SAFEARRAY, destroyed with its owner unless released.
class ScopedSafeArray {
 public:
  explicit ScopedSafeArray(SAFEARRAY* array) : array_(array) {}
  ScopedSafeArray(ScopedSafeArray&& other) noexcept : array_(other.Release()) {}
  ~ScopedSafeArray() {
    if (array_) SafeArrayDestroy(array_);
  }
  ScopedSafeArray(const ScopedSafeArray&) = delete;
  ScopedSafeArray& operator=(const ScopedSafeArray&) = delete;

  SAFEARRAY* get() const { return array_; }
  SAFEARRAY* Release() {
    SAFEARRAY* array = array_;
    array_ = nullptr;
    return array;
  }

 private:
  SAFEARRAY* array_;
};

// By-reference variants are followed; an omitted optional parameter
// (VT_ERROR DISP_E_PARAMNOTFOUND) becomes Missing; numeric types the
// portable layer lacks arrive as their text, which it converts by the
// automation rules.
automation::Variant FromVariant(const VARIANT& value);

// The object a portable reference is shown as to COM clients (a new
// reference, or null for a null object).
using ObjectWrapper = std::function<IDispatch*(const automation::ObjectRef&)>;

// Fills `out` (which must be empty) with `value`.
void ToVariant(const automation::Variant& value, VARIANT& out,
               const ObjectWrapper& wrap);

// A one-dimensional array of BSTR, or of VARIANT holding strings (what
// scripts build), with its bounds, fixed size and lock state. Null is a
// dynamic array with no elements.
automation::StringArray ReadStringArray(SAFEARRAY* array);

// A new SAFEARRAY with the same bounds and elements: of BSTR, as typed
// callers declare it, or (`element_type` VT_VARIANT) of variants holding
// strings, the array type every script engine can index.
ScopedSafeArray WriteStringArray(const automation::StringArray& array,
                                 VARTYPE element_type = VT_BSTR);

bool SameStringArray(const automation::StringArray& a,
                     const automation::StringArray& b);

}  // namespace corvane::server
