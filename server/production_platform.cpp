// The production server: netapi32, advapi32 and kernel32 themselves, and
// the application event log.
#include "common/report_event_sink.h"
#include "netapi/windows/windows_api.h"
#include "server/event_source.h"
#include "server/server_platform.h"

namespace corvane::server {
namespace {

class ProductionPlatform final : public ServerPlatform {
 public:
  common::Environment environment() override { return {api_, events_}; }

 private:
  netapi::WindowsApi api_;
  common::ReportEventSink events_{kEventSource, kEventTextId};
};

}  // namespace

std::unique_ptr<ServerPlatform> MakeServerPlatform() {
  return std::make_unique<ProductionPlatform>();
}

}  // namespace corvane::server
