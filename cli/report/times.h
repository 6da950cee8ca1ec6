// How the command writes a time: local time for people, ISO 8601 (UTC) in
// JSON.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "tasks/account_facts.h"

namespace corvane::cli {

// "2026-12-07T20:24:00Z".
std::string IsoTime(tasks::Time time);
// The local time, "2026-12-07 21:24:00 CET".
std::string LocalTime(tasks::Time time);

// The same for a time that may be none: "never" in text, null in JSON.
std::string LocalTimeOrNever(const std::optional<tasks::Time>& time);
nlohmann::ordered_json JsonTime(const std::optional<tasks::Time>& time);

// The end of the local day `date` (YYYY-MM-DD): the start of the next one.
// None when it is no such date, or one the platform's expiry cannot hold
// (before 1970, from 2106).
std::optional<tasks::Time> EndOfLocalDay(const std::string& date);
// "2026-12-07T20:24:00Z" (case aside), as IsoTime writes it; the same
// bounds.
std::optional<tasks::Time> ParseIsoTime(const std::string& text);

}  // namespace corvane::cli
