#include "cli/report/times.h"

#include <cstdio>
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

std::optional<tasks::Time> ParseIsoTime(const std::string& text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
  char t = 0, z = 0;
  if (text.size() != 20 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%c%n", &year, &month,
                  &day, &t, &hour, &minute, &second, &z, &used) != 8 ||
      used != 20 || (t != 'T' && t != 't') || (z != 'Z' && z != 'z')) {
    return std::nullopt;
  }
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  const std::time_t seconds = ::timegm(&parts);
  if (seconds <= 0 || seconds >= 0xFFFFFFFF || parts.tm_mday != day ||
      parts.tm_mon != month - 1 || parts.tm_hour != hour ||
      parts.tm_min != minute) {
    return std::nullopt;
  }
  return tasks::Time(std::chrono::seconds(seconds));
}

std::optional<tasks::Time> EndOfLocalDay(const std::string& date) {
  int year = 0, month = 0, day = 0, used = 0;
  if (date.size() != 10 ||
      std::sscanf(date.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) !=
          3 ||
      used != 10 || date[4] != '-' || date[7] != '-') {
    return std::nullopt;
  }
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_isdst = -1;
  std::tm normalised = parts;
  // A day that mktime moves (February 30th) is no date.
  if (std::mktime(&normalised) == -1 || normalised.tm_mday != day ||
      normalised.tm_mon != month - 1 || normalised.tm_year != year - 1900) {
    return std::nullopt;
  }
  parts.tm_mday = day + 1;
  const std::time_t next = std::mktime(&parts);
  // The platform's expiry is 32-bit seconds from 1970.
  if (next <= 0 || next >= 0xFFFFFFFF) return std::nullopt;
  return tasks::Time(std::chrono::seconds(next));
}

std::string LocalTimeOrNever(const std::optional<tasks::Time>& time) {
  return time ? LocalTime(*time) : "never";
}

nlohmann::ordered_json JsonTime(const std::optional<tasks::Time>& time) {
  return time ? nlohmann::ordered_json(IsoTime(*time))
              : nlohmann::ordered_json(nullptr);
}

}  // namespace corvane::cli
