#include "cli/report/times.h"

#include <ctime>

namespace corvane::cli {
namespace {

std::string FormatTime(tasks::Time time, bool utc, const char* format) {
  const std::time_t seconds =
      static_cast<std::time_t>(time.time_since_epoch().count());
  std::tm parts{};
  if ((utc ? ::gmtime_r(&seconds, &parts) : ::localtime_r(&seconds, &parts)) ==
      nullptr) {
    return std::to_string(seconds);
  }
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &parts));
}

}  // namespace

std::string IsoTime(tasks::Time time) {
  return FormatTime(time, true, "%Y-%m-%dT%H:%M:%SZ");
}

std::string LocalTime(tasks::Time time) {
  return FormatTime(time, false, "%Y-%m-%d %H:%M:%S %Z");
}

}  // namespace corvane::cli
