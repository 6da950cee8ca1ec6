// Information events to the Windows application event log, written with
// ReportEventW under the event source the server registers at /RegServer.
#pragma once

#include <memory>
#include <string>

#include "common/event_log.h"

namespace corvane::common {

class ReportEventSink : public EventSink {
 public:
  // `event_id` is the message-table entry that shows the text as it is.
  ReportEventSink(std::u16string source_name, unsigned long event_id);
  ~ReportEventSink() override;
  ReportEventSink(const ReportEventSink&) = delete;
  ReportEventSink& operator=(const ReportEventSink&) = delete;

  // Best effort: an event log that cannot be written loses the entry but
  // never fails the operation that reported it, since the domain's end
  // message is written from its destructor.
  void WriteInformation(std::u16string_view text) override;

 private:
  struct Source;
  std::unique_ptr<Source> source_;
  unsigned long event_id_;
};

}  // namespace corvane::common
