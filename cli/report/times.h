// How the command writes a time: local time for people, ISO 8601 (UTC) in
// JSON.
#pragma once

#include <string>

#include "tasks/account_facts.h"

namespace corvane::cli {

// "2026-12-07T20:24:00Z".
std::string IsoTime(tasks::Time time);
// The local time, "2026-12-07 21:24:00 CET".
std::string LocalTime(tasks::Time time);

}  // namespace corvane::cli
