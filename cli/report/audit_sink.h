// Where the component's event messages go: the system log, as written, and
// because many machines and containers run no log daemon, optionally a copy
// to standard error or appended to a file, so that a person sees the audit
// trail of what the command changed.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "common/event_log.h"
#include "common/syslog_sink.h"

namespace corvane::cli {

class AuditSink : public common::EventSink {
 public:
  // `copy_to`: empty for the system log only, "-" for standard error too,
  // or a file to append to (created mode 0600). Throws UsageError when the
  // file cannot be opened.
  explicit AuditSink(const std::string& copy_to);

  void WriteInformation(std::u16string_view text) override;

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  common::SyslogEventSink syslog_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  bool to_stderr_ = false;
};

}  // namespace corvane::cli
