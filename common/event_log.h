// The event log: information events with a text. A sink is where they go
// (the system log, the Windows application log, memory for tests); the
// gates decide, from the owning domain's eLogging, whether a change is
// written at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::common {

class EventSink {
 public:
  virtual ~EventSink() = default;
  // One information event (event type 4).
  virtual void WriteInformation(std::u16string_view text) = 0;
};

enum class EventGate {
  kAlways,  // start and end of a domain object
  kAddDel,  // additions and deletions: eLogging not LogNone
  kFull,    // attribute changes: eLogging equal to LogFull
};

inline constexpr std::int32_t kLogNone = 0;
inline constexpr std::int32_t kLogAddDel = 1;
inline constexpr std::int32_t kLogFull = 2;

bool GatePasses(EventGate gate, std::int32_t logging_level);

// Keeps every event in memory, for tests and for clients that show the
// audit trail themselves.
class MemoryEventSink : public EventSink {
 public:
  void WriteInformation(std::u16string_view text) override;
  const std::vector<std::u16string>& entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::vector<std::u16string> entries_;
};

}  // namespace corvane::common
