#include "common/report_event_sink.h"

#include <windows.h>

namespace corvane::common {

// The registered event source handle, deregistered with its owner.
struct ReportEventSink::Source {
  explicit Source(const std::u16string& name)
      : handle(RegisterEventSourceW(
            nullptr, reinterpret_cast<const wchar_t*>(name.c_str()))) {}
  ~Source() {
    if (handle) DeregisterEventSource(handle);
  }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  HANDLE handle;
};

ReportEventSink::ReportEventSink(std::u16string source_name,
                                 unsigned long event_id)
    : source_(std::make_unique<Source>(source_name)), event_id_(event_id) {}

ReportEventSink::~ReportEventSink() = default;

void ReportEventSink::WriteInformation(std::u16string_view text) {
  if (!source_->handle) return;
  const std::u16string terminated(text);
  const wchar_t* strings[] = {
      reinterpret_cast<const wchar_t*>(terminated.c_str())};
  ReportEventW(source_->handle, EVENTLOG_INFORMATION_TYPE, 0, event_id_,
               nullptr, 1, 0, strings, nullptr);
}

}  // namespace corvane::common
