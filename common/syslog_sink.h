// Information events to the system log (syslog, LOG_INFO), as UTF-8. The
// text is passed as data, never as a format string.
#pragma once

#include "common/event_log.h"

namespace corvane::common {

class SyslogEventSink : public EventSink {
 public:
  explicit SyslogEventSink(const char* identity = "corvane");
  ~SyslogEventSink() override;
  SyslogEventSink(const SyslogEventSink&) = delete;
  SyslogEventSink& operator=(const SyslogEventSink&) = delete;

  void WriteInformation(std::u16string_view text) override;
};

}  // namespace corvane::common
