// Writes every event to another sink and appends its text, as one UTF-8
// line, to a file: the test server's events are read from there, since
// not every event log can be read back.
#pragma once

#include <string>

#include "common/event_log.h"

namespace corvane::server {

class MirroredEventSink final : public common::EventSink {
 public:
  // An empty path writes to `primary` only.
  MirroredEventSink(common::EventSink& primary, std::wstring path)
      : primary_(primary), path_(std::move(path)) {}

  void WriteInformation(std::u16string_view text) override;

 private:
  common::EventSink& primary_;
  std::wstring path_;
};

}  // namespace corvane::server
