// The extension's output goes to Python's `logging` (logger "corvane"),
// never to the process's standard streams: the call trace (one line per
// controller call, no record and so no secret) at DEBUG, the classes'
// events at INFO. Both are written from inside calls made with the GIL
// released, so each line takes the GIL for its own hand-over.
#pragma once

#include <pybind11/pybind11.h>

#include <ostream>
#include <streambuf>
#include <string>

#include "common/event_log.h"

namespace corvane::python {

// Hands `line` to logger "corvane" at `level` (logging.DEBUG, ...).
void LogLine(int level, const std::string& line);

// A stream buffer that sends each completed line to the logger.
class LoggerLineBuffer final : public std::streambuf {
 public:
  explicit LoggerLineBuffer(int level) : level_(level) {}

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize count) override;

 private:
  void Flush();
  int level_;
  std::string line_;
};

class LoggerEventSink final : public common::EventSink {
 public:
  void WriteInformation(std::u16string_view text) override;
};

}  // namespace corvane::python
