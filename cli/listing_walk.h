// The task commands' lists, walked batch by batch straight from the
// platform with the classes' own batch walk, and with no limit on their
// length: each batch's names are shown before the next batch is asked for,
// so that the first names appear at once and one batch is held at a time.
#pragma once

#include <string>

#include "cli/report.h"
#include "common/name_listing.h"

namespace corvane::cli {

// Larger than the classes' batches (fewer round trips), and still bounded.
inline constexpr netapi::DWORD kListingBatchBytes = 64 * 1024;

// Shows every name under `key`; returns the result text, "SUCCESS" or the
// failure as the classes word it (`kind`: "user" or "group").
std::string ShowNames(netapi::Api& api, const common::BatchCall& next_batch,
                      Report& report, const std::string& key,
                      std::u16string_view kind);

}  // namespace corvane::cli
