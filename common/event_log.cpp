#include "common/event_log.h"

namespace corvane::common {

bool GatePasses(EventGate gate, std::int32_t logging_level) {
  switch (gate) {
    case EventGate::kAlways:
      return true;
    case EventGate::kAddDel:
      return logging_level != kLogNone;
    case EventGate::kFull:
      return logging_level == kLogFull;
  }
  return false;
}

void MemoryEventSink::WriteInformation(std::u16string_view text) {
  entries_.emplace_back(text);
}

}  // namespace corvane::common
