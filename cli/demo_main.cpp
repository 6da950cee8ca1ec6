// A short session against the simulated controller, driven late-bound
// through the dispatch layer as a script would: it creates a domain object,
// locates the demo domain's controller, and looks around.
#include <cstdio>
#include <string>

#include "automation/dispatch.h"
#include "automation/error.h"
#include "automation/string_array.h"
#include "automation/text.h"
#include "common/event_log.h"
#include "domain/class_factory.h"
#include "netapi/simulated/demo_domain.h"

namespace {

using corvane::automation::ObjectRef;
using corvane::automation::ToUtf8;

// Prints every event as the component writes it.
class PrintingSink : public corvane::common::EventSink {
 public:
  void WriteInformation(std::u16string_view text) override {
    std::printf("  [event] %s\n", ToUtf8(text).c_str());
  }
};

std::string Text(const ObjectRef& object, std::u16string_view name) {
  return ToUtf8(corvane::automation::Get(*object, name).As<std::u16string>());
}

void PrintList(const char* title, const ObjectRef& object) {
  auto list = std::make_shared<corvane::automation::StringArray>();
  corvane::automation::Call(*object, u"Enumerate", {list});
  std::printf("%s:\n", title);
  for (std::int32_t i = 1; i <= list->UpperBound(); ++i) {
    std::printf("  %s\n", ToUtf8(list->at(i)).c_str());
  }
}

}  // namespace

int main() {
  corvane::netapi::simulated::SimulatedController controller;
  corvane::netapi::simulated::SeedDemoDomain(controller);
  PrintingSink events;
  const corvane::ClassFactory factory({controller, events});
  try {
    ObjectRef domain = factory.CreateObject(u"Corvane.NTDomain");
    corvane::automation::Put(*domain, u"sDomain", u"CORVANE");
    std::printf("domain CORVANE: controller %s (%s)\n",
                Text(domain, u"sDC").c_str(),
                Text(domain, u"sLastError").c_str());

    ObjectRef users =
        corvane::automation::Get(*domain, u"Users").As<ObjectRef>();
    PrintList("users", users);
    corvane::automation::Put(*users, u"sUserName", u"alice");
    std::printf("alice: full name \"%s\", home \"%s\", SID %s\n",
                Text(users, u"sFullName").c_str(),
                Text(users, u"sHomeDir").c_str(), Text(users, u"sSID").c_str());

    ObjectRef groups =
        corvane::automation::Get(*domain, u"Groups").As<ObjectRef>();
    PrintList("groups", groups);
    corvane::automation::Put(*groups, u"sGroupName", u"Sales");
    std::printf("Sales: \"%s\"\n", Text(groups, u"sComment").c_str());
    PrintList("Sales members",
              corvane::automation::Get(*groups, u"Users").As<ObjectRef>());
  } catch (const corvane::automation::AutomationError& error) {
    std::fprintf(stderr, "automation error 0x%08X %s: %s\n",
                 static_cast<unsigned>(error.hresult()),
                 ToUtf8(error.source()).c_str(),
                 ToUtf8(error.description()).c_str());
    return 1;
  }
  return 0;
}
