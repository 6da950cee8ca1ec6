#include "common/syslog_sink.h"

#include <syslog.h>

#include "automation/text.h"

namespace corvane::common {

SyslogEventSink::SyslogEventSink(const char* identity) {
  openlog(identity, LOG_PID, LOG_USER);
}

SyslogEventSink::~SyslogEventSink() { closelog(); }

void SyslogEventSink::WriteInformation(std::u16string_view text) {
  // One entry per event: a name cannot forge another.
  const std::string message =
      automation::EscapeControls(automation::ToUtf8(text));
  syslog(LOG_INFO, "%s", message.c_str());
}

}  // namespace corvane::common
