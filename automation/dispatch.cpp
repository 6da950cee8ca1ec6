#include "automation/dispatch.h"

#include "automation/coercion.h"
#include "automation/error.h"
#include "automation/string_array.h"
#include "automation/text.h"

namespace corvane::automation {
namespace {

unsigned KindFlag(contract::Kind kind) {
  switch (kind) {
    case contract::Kind::kMethod:
      return DISPATCH_METHOD;
    case contract::Kind::kGet:
      return DISPATCH_PROPERTYGET;
    case contract::Kind::kLet:
      return DISPATCH_PROPERTYPUT;
  }
  return 0;
}

// The member a call reaches: a method before a property get when a client
// asks for either, as scripting clients do.
int FindSlot(const contract::Interface& contract, DispId dispid,
             unsigned kinds) {
  int found = -1;
  for (size_t slot = 0; slot < contract.members.size(); ++slot) {
    const contract::Member& member = contract.members[slot];
    if (member.dispid != dispid || !(KindFlag(member.kind) & kinds)) continue;
    if (found < 0 || member.kind == contract::Kind::kMethod) {
      found = static_cast<int>(slot);
    }
  }
  if (found < 0) throw AutomationError(DISP_E_MEMBERNOTFOUND);
  return found;
}

Variant Coerce(const contract::Param& param, Variant& argument) {
  using contract::Type;
  // A password never travels as a plain string, whose copies would outlive
  // the call unwiped. A variant parameter keeps any other value as it is,
  // for the member to convert only when it needs the text.
  if (param.secret &&
      (param.type == Type::kString || argument.Is<std::u16string>())) {
    return ToSecret(argument);
  }
  switch (param.type) {
    case Type::kString:
      return ToString(argument);
    case Type::kBoolean:
      return Boolean{ToBoolean(argument)};
    case Type::kLogLevel:
    case Type::kPriv:
      return ToInt32(argument);
    case Type::kStringArray:
      // A script client passes an uninitialised variant for the array;
      // the member fills it with a new one, as the COM server does.
      if (argument.Is<Empty>()) {
        argument = std::make_shared<StringArray>();
      }
      if (!argument.Is<StringArrayRef>() || !argument.As<StringArrayRef>()) {
        throw AutomationError(DISP_E_TYPEMISMATCH);
      }
      return argument;
    case Type::kVariant:
      return argument;
    default:
      throw AutomationError(DISP_E_TYPEMISMATCH);
  }
}

}  // namespace

ObjectRef Dispatchable::ClientReference() { return shared_from_this(); }

ObjectRef PinnedReference(std::shared_ptr<Dispatchable> object,
                          ObjectRef owner) {
  struct Pin {
    std::shared_ptr<Dispatchable> object;
    ObjectRef owner;
  };
  auto pin = std::make_shared<Pin>(Pin{std::move(object), std::move(owner)});
  Dispatchable* raw = pin->object.get();
  return ObjectRef(std::move(pin), raw);
}

DispId GetIdOfName(const contract::Interface& contract,
                   std::u16string_view name) {
  for (const contract::Member& member : contract.members) {
    if (EqualsIgnoringAsciiCase(name, member.name)) return member.dispid;
  }
  throw AutomationError(DISP_E_UNKNOWNNAME);
}

Variant Invoke(Dispatchable& object, DispId dispid, unsigned kinds,
               std::span<Variant> args) {
  const contract::Interface& contract = object.Contract();
  const int slot = FindSlot(contract, dispid, kinds);
  const contract::Member& member = contract.members[slot];

  size_t required = 0;
  for (const contract::Param& param : member.params) {
    if (!param.optional) ++required;
  }
  if (args.size() < required || args.size() > member.params.size()) {
    throw AutomationError(DISP_E_BADPARAMCOUNT);
  }

  std::vector<Variant> coerced;
  coerced.reserve(member.params.size());
  for (size_t i = 0; i < member.params.size(); ++i) {
    const contract::Param& param = member.params[i];
    if (i >= args.size() || args[i].Is<Missing>()) {
      if (!param.optional) throw AutomationError(DISP_E_PARAMNOTFOUND);
      coerced.emplace_back(Missing{});
    } else {
      coerced.push_back(Coerce(param, args[i]));
    }
  }
  Variant result = object.InvokeSlot(slot, coerced);
  // Variant parameters are by reference: the member may have filled them.
  // A secret is only read, and the caller keeps the value it passed.
  for (size_t i = 0; i < args.size(); ++i) {
    if (member.params[i].type == contract::Type::kVariant &&
        !member.params[i].secret) {
      args[i] = std::move(coerced[i]);
    }
  }
  return result;
}

Variant InvokeByName(Dispatchable& object, std::u16string_view name,
                     unsigned kinds, std::vector<Variant> args) {
  return Invoke(object, GetIdOfName(object.Contract(), name), kinds, args);
}

Variant Get(Dispatchable& object, std::u16string_view name) {
  return InvokeByName(object, name, DISPATCH_PROPERTYGET);
}

void Put(Dispatchable& object, std::u16string_view name, Variant value) {
  InvokeByName(object, name, DISPATCH_PROPERTYPUT, {std::move(value)});
}

Variant Call(Dispatchable& object, std::u16string_view name,
             std::vector<Variant> args) {
  return InvokeByName(object, name, DISPATCH_METHOD, std::move(args));
}

}  // namespace corvane::automation
