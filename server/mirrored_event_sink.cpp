#include "server/mirrored_event_sink.h"

#include <cstdio>
#include <memory>

#include "automation/text.h"

namespace corvane::server {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

void MirroredEventSink::WriteInformation(std::u16string_view text) {
  primary_.WriteInformation(text);
  if (path_.empty()) return;
  // Opened per event, in append mode: servers started one after another
  // add to the same file, and it is complete whenever it is read.
  const std::unique_ptr<std::FILE, FileCloser> file(
      _wfopen(path_.c_str(), L"ab"));
  if (!file) return;
  const std::string line = automation::ToUtf8(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), file.get());
}

}  // namespace corvane::server
