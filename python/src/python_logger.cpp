#include "python/src/python_logger.h"

#include "automation/text.h"

namespace py = pybind11;

namespace corvane::python {

void LogLine(int level, const std::string& line) {
  // Objects released while the interpreter shuts down have no logger left.
  if (_Py_IsFinalizing()) return;
  py::gil_scoped_acquire gil;
  try {
    py::module_::import("logging").attr("getLogger")("corvane").attr("log")(
        level, "%s", py::str(line));
  } catch (py::error_already_set&) {
    // A failing log handler must neither turn a controller call into a
    // failure nor print anything of its own.
  }
}

LoggerLineBuffer::int_type LoggerLineBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return c;
  const char ch = traits_type::to_char_type(c);
  if (ch == '\n') {
    Flush();
  } else {
    line_.push_back(ch);
  }
  return c;
}

std::streamsize LoggerLineBuffer::xsputn(const char* data,
                                         std::streamsize count) {
  for (std::streamsize i = 0; i < count; ++i) {
    overflow(traits_type::to_int_type(data[i]));
  }
  return count;
}

void LoggerLineBuffer::Flush() {
  LogLine(level_, line_);
  line_.clear();
}

void LoggerEventSink::WriteInformation(std::u16string_view text) {
  constexpr int kInfo = 20;  // logging.INFO
  LogLine(kInfo, automation::EscapeControls(automation::ToUtf8(text)));
}

}  // namespace corvane::python
