// Test fixture: a client of the component, late-bound through the dispatch
// layer, against the simulated controller seeded with the demo domain. Every
// test ends by releasing its objects and checking that no block the
// controller handed out is left and none was released twice.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/coercion.h"
#include "automation/dispatch.h"
#include "automation/error.h"
#include "automation/string_array.h"
#include "automation/text.h"
#include "common/event_log.h"
#include "domain/class_factory.h"
#include "netapi/simulated/demo_domain.h"

namespace corvane::testing {

using automation::ObjectRef;
using automation::Variant;
using JournalCall = netapi::simulated::Call;

// Readable failure messages for UTF-16 strings.
inline std::string U8(std::u16string_view text) {
  return automation::ToUtf8(text);
}

class ClientTest : public ::testing::Test {
 protected:
  ClientTest() { netapi::simulated::SeedDemoDomain(dc_); }

  void TearDown() override {
    objects_.clear();
    EXPECT_EQ(dc_.ledger().outstanding(), 0u) << "blocks left allocated";
    EXPECT_EQ(dc_.ledger().stray_releases(), 0u) << "stray releases";
  }

  // A new domain object, kept until the end of the test.
  ObjectRef NewDomain() {
    ObjectRef domain = factory_.CreateObject(u"Corvane.NTDomain");
    objects_.push_back(domain);
    return domain;
  }
  // A domain located on the demo domain's controller.
  ObjectRef LocatedDomain() {
    ObjectRef domain = NewDomain();
    Put(domain, u"sDomain", u"CORVANE");
    return domain;
  }

  static Variant Get(const ObjectRef& object, std::u16string_view name) {
    return automation::Get(*object, name);
  }
  static std::u16string Text(const ObjectRef& object,
                             std::u16string_view name) {
    return Get(object, name).As<std::u16string>();
  }
  static bool Flag(const ObjectRef& object, std::u16string_view name) {
    return Get(object, name).As<automation::Boolean>().value != 0;
  }
  static std::int32_t Number(const ObjectRef& object,
                             std::u16string_view name) {
    return Get(object, name).As<std::int32_t>();
  }
  static ObjectRef Object(const ObjectRef& object, std::u16string_view name) {
    return Get(object, name).As<ObjectRef>();
  }
  static void Put(const ObjectRef& object, std::u16string_view name,
                  Variant value) {
    automation::Put(*object, name, std::move(value));
  }
  static Variant Call(const ObjectRef& object, std::u16string_view name,
                      std::vector<Variant> args = {}) {
    return automation::Call(*object, name, std::move(args));
  }
  static bool CallBool(const ObjectRef& object, std::u16string_view name,
                       std::vector<Variant> args = {}) {
    return Call(object, name, std::move(args))
               .As<automation::Boolean>()
               .value != 0;
  }
  // Calls Enumerate and returns the array's elements from index 0.
  static std::vector<std::u16string> Enumerate(const ObjectRef& object) {
    auto list = std::make_shared<automation::StringArray>();
    Call(object, u"Enumerate", {list});
    EXPECT_EQ(list->LowerBound(), 0);
    return list->elements();
  }

  // The demo domain's account database, as its controller holds it.
  netapi::simulated::Directory& directory() { return *dc_.FindServer(u"DC1"); }

  // The domain's Users object, located on the demo domain, with `name`
  // selected.
  ObjectRef SelectedUser(std::u16string_view name,
                         std::int32_t logging = common::kLogFull) {
    ObjectRef domain = LocatedDomain();
    Put(domain, u"eLogging", logging);
    ObjectRef users = Object(domain, u"Users");
    Put(users, u"sUserName", std::u16string(name));
    EXPECT_EQ(Text(users, u"sLastError"), u"SUCCESS");
    events_.Clear();
    dc_.journal().Clear();
    return users;
  }

  const std::vector<std::u16string>& events() const {
    return events_.entries();
  }

  netapi::simulated::SimulatedController dc_;
  common::MemoryEventSink events_;
  ClassFactory factory_{common::Environment{dc_, events_}};
  std::vector<ObjectRef> objects_;
};

// Matches an AutomationError's HRESULT.
#define EXPECT_AUTOMATION_ERROR(statement, expected_hresult)        \
  do {                                                              \
    try {                                                           \
      statement;                                                    \
      ADD_FAILURE() << "no automation error from " #statement;      \
    } catch (const ::corvane::automation::AutomationError& error) { \
      EXPECT_EQ(static_cast<unsigned>(error.hresult()),             \
                static_cast<unsigned>(expected_hresult));           \
    }                                                               \
  } while (0)

}  // namespace corvane::testing
