// The test server: the simulated controller seeded with the demo domain,
// so that scripts can be tested where no domain controller (or no working
// netapi32) exists. Three environment variables, read at start-up, serve
// the tests:
//   CORVANE_SIMULATED_PLATFORM_ID  the platform id GetVersionEx reports
//                                  (1 makes the domain's platform check fail)
//   CORVANE_EVENT_FILE             a file that receives a copy of every event
//   CORVANE_SIMULATED_USERS        the number of normal accounts the demo
//                                  domain is filled up to
#include <cstdlib>
#include <cwchar>
#include <string>

#include "common/report_event_sink.h"
#include "netapi/simulated/demo_domain.h"
#include "netapi/simulated/simulated_controller.h"
#include "server/event_source.h"
#include "server/mirrored_event_sink.h"
#include "server/server_platform.h"

namespace corvane::server {
namespace {

std::wstring Variable(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value ? std::wstring(value) : std::wstring();
}

class SimulatedPlatform final : public ServerPlatform {
 public:
  SimulatedPlatform() {
    netapi::simulated::SeedDemoDomainFromEnvironment(controller_);
    const std::wstring platform = Variable(L"CORVANE_SIMULATED_PLATFORM_ID");
    if (!platform.empty()) {
      controller_.set_platform_id(static_cast<netapi::DWORD>(
          std::wcstoul(platform.c_str(), nullptr, 10)));
    }
  }

  common::Environment environment() override { return {controller_, events_}; }

 private:
  netapi::simulated::SimulatedController controller_;
  common::ReportEventSink event_log_{kEventSource, kEventTextId};
  MirroredEventSink events_{event_log_, Variable(L"CORVANE_EVENT_FILE")};
};

}  // namespace

std::unique_ptr<ServerPlatform> MakeServerPlatform() {
  return std::make_unique<SimulatedPlatform>();
}

}  // namespace corvane::server
