#include "cli/report/audit_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "automation/text.h"
#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

std::string Timestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace

AuditSink::AuditSink(const std::string& copy_to) {
  if (copy_to.empty()) return;
  if (copy_to == "-") {
    to_stderr_ = true;
    return;
  }
  // Never through a symbolic link, like every file the command writes.
  const int fd =
      ::open(copy_to.c_str(),
             O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0 && errno == ELOOP) {
    throw UsageError("audit file " + copy_to +
                     " is a symbolic link, which is not followed; give the "
                     "file itself");
  }
  if (fd < 0) {
    throw UsageError("cannot open audit file " + copy_to + ": " +
                     std::strerror(errno));
  }
  file_.reset(::fdopen(fd, "a"));
  if (!file_) {
    ::close(fd);
    throw UsageError("cannot open audit file " + copy_to);
  }
}

void AuditSink::WriteInformation(std::u16string_view text) {
  syslog_.WriteInformation(text);
  // One line per event: a name or comment cannot forge further lines.
  const std::string message =
      automation::EscapeControls(automation::ToUtf8(text));
  if (to_stderr_) {
    std::fprintf(stderr, "event: %s\n", message.c_str());
    std::fflush(stderr);
  }
  if (file_) {
    std::fprintf(file_.get(), "%s corvane[%d]: %s\n", Timestamp().c_str(),
                 static_cast<int>(::getpid()), message.c_str());
    std::fflush(file_.get());
  }
}

}  // namespace corvane::cli
