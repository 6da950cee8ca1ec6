// Late-bound dispatch where there is no COM: member names resolve to the
// contract's dispatch ids (case-insensitively, as automation clients
// expect), and a call by dispatch id and kind is checked and its arguments
// coerced as IDispatch::Invoke on a type library would, before the object
// sees it.
#pragma once

#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "automation/variant.h"
#include "contract/contract.h"

namespace corvane::automation {

using contract::DispId;

// Invocation kinds, combinable as in IDispatch::Invoke.
enum InvokeKind : unsigned {
  DISPATCH_METHOD = 1,
  DISPATCH_PROPERTYGET = 2,
  DISPATCH_PROPERTYPUT = 4,
};

class Dispatchable : public std::enable_shared_from_this<Dispatchable> {
 public:
  virtual ~Dispatchable() = default;

  virtual const contract::Interface& Contract() const = 0;

  // The reference a client receives for this object. A child's reference
  // keeps its owners alive too, so that a client holding only a child still
  // has a usable owner.
  virtual ObjectRef ClientReference();

  // Runs one member. Arguments arrive in declaration order, every optional
  // one present (Missing when the caller left it out), typed ones coerced
  // to their declared types; variant and array parameters are the caller's
  // own variants, by reference.
  virtual Variant InvokeSlot(int slot, std::span<Variant> args) = 0;
};

// A client reference to `object` that also holds `owner`.
ObjectRef PinnedReference(std::shared_ptr<Dispatchable> object,
                          ObjectRef owner);

// DISP_E_UNKNOWNNAME when the interface has no member of that name.
DispId GetIdOfName(const contract::Interface& contract,
                   std::u16string_view name);

// DISP_E_MEMBERNOTFOUND for an id or kind the interface lacks,
// DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTFOUND for a required parameter
// passed as missing, DISP_E_TYPEMISMATCH / DISP_E_OVERFLOW from coercion.
// Errors the member raises pass through unchanged.
Variant Invoke(Dispatchable& object, DispId dispid, unsigned kinds,
               std::span<Variant> args);

// Name-based convenience for clients: resolves, then invokes.
Variant InvokeByName(Dispatchable& object, std::u16string_view name,
                     unsigned kinds, std::vector<Variant> args = {});
Variant Get(Dispatchable& object, std::u16string_view name);
void Put(Dispatchable& object, std::u16string_view name, Variant value);
Variant Call(Dispatchable& object, std::u16string_view name,
             std::vector<Variant> args = {});

}  // namespace corvane::automation
