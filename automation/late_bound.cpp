#include "automation/late_bound.h"

#include "automation/coercion.h"
#include "automation/text.h"

namespace corvane::automation {

std::string GetText(const ObjectRef& object, std::u16string_view member) {
  return ToUtf8(ToString(Get(*object, member)));
}

bool GetFlag(const ObjectRef& object, std::u16string_view member) {
  return ToBoolean(Get(*object, member)) != 0;
}

std::int32_t GetNumber(const ObjectRef& object, std::u16string_view member) {
  return ToInt32(Get(*object, member));
}

ObjectRef GetObject(const ObjectRef& object, std::u16string_view member) {
  Variant value = Get(*object, member);
  return value.Is<ObjectRef>() ? value.As<ObjectRef>() : nullptr;
}

void PutValue(const ObjectRef& object, std::u16string_view member,
              Variant value) {
  Put(*object, member, std::move(value));
}

Variant CallMethod(const ObjectRef& object, std::u16string_view member,
                   std::vector<Variant> args) {
  return Call(*object, member, std::move(args));
}

bool CallTest(const ObjectRef& object, std::u16string_view member,
              std::vector<Variant> args) {
  return ToBoolean(CallMethod(object, member, std::move(args))) != 0;
}

StringArrayRef Enumerate(const ObjectRef& object) {
  auto list = std::make_shared<StringArray>();
  CallMethod(object, u"Enumerate", {list});
  return list;
}

std::string LastError(const ObjectRef& object) {
  return GetText(object, u"sLastError");
}

bool IsSuccess(std::string_view last_error) {
  return last_error.empty() || last_error == "SUCCESS";
}

}  // namespace corvane::automation
