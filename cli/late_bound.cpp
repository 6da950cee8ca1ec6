#include "cli/late_bound.h"

#include "automation/coercion.h"
#include "automation/text.h"
#include "cli/exit_status.h"

namespace corvane::cli {

std::u16string Wide(std::string_view utf8) {
  std::optional<std::u16string> text = automation::FromUtf8(utf8);
  if (!text) throw UsageError("argument is not valid UTF-8");
  return std::move(*text);
}

std::string Narrow(std::u16string_view text) {
  return automation::ToUtf8(text);
}

std::string GetText(const ObjectRef& object, std::u16string_view member) {
  return Narrow(automation::ToString(automation::Get(*object, member)));
}

bool GetFlag(const ObjectRef& object, std::u16string_view member) {
  return automation::ToBoolean(automation::Get(*object, member)) != 0;
}

std::int32_t GetNumber(const ObjectRef& object, std::u16string_view member) {
  return automation::ToInt32(automation::Get(*object, member));
}

ObjectRef GetObject(const ObjectRef& object, std::u16string_view member) {
  Variant value = automation::Get(*object, member);
  return value.Is<ObjectRef>() ? value.As<ObjectRef>() : nullptr;
}

void PutValue(const ObjectRef& object, std::u16string_view member,
              Variant value) {
  automation::Put(*object, member, std::move(value));
}

Variant CallMethod(const ObjectRef& object, std::u16string_view member,
                   std::vector<Variant> args) {
  return automation::Call(*object, member, std::move(args));
}

bool CallTest(const ObjectRef& object, std::u16string_view member,
              std::vector<Variant> args) {
  return automation::ToBoolean(CallMethod(object, member, std::move(args))) !=
         0;
}

automation::StringArrayRef Enumerate(const ObjectRef& object) {
  auto list = std::make_shared<automation::StringArray>();
  CallMethod(object, u"Enumerate", {list});
  return list;
}

std::string LastError(const ObjectRef& object) {
  return GetText(object, u"sLastError");
}

bool IsSuccess(std::string_view last_error) {
  return last_error.empty() || last_error == "SUCCESS";
}

}  // namespace corvane::cli
