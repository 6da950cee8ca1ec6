// The task commands' lists, walked batch by batch straight from the
// platform with the classes' own batch walk, and with no limit on their
// length: each batch's names are shown before the next batch is asked for,
// so that the first names appear at once and one batch is held at a time.
#pragma once

#include <string>
#include <vector>

#include "cli/report.h"
#include "common/name_listing.h"

namespace corvane::cli {

// Larger than the classes' batches (fewer round trips), and still bounded.
inline constexpr netapi::DWORD kListingBatchBytes = 64 * 1024;

// The three listings, each a batch call on the controller `server` that
// keeps its own resume handle.
common::BatchCall UserBatches(netapi::Api& api, std::u16string server);
common::BatchCall GroupBatches(netapi::Api& api, std::u16string server);
common::BatchCall MemberBatches(netapi::Api& api, std::u16string server,
                                std::u16string group);

// Every name of a listing, for a command that needs them all before it
// goes on; `result` is "SUCCESS" or the failure as the classes word it.
struct CollectedNames {
  std::vector<std::string> names;
  std::string result;
};
CollectedNames CollectNames(netapi::Api& api,
                            const common::BatchCall& next_batch,
                            std::u16string_view kind);

// Shows every name under `key`; returns the result text, "SUCCESS" or the
// failure as the classes word it (`kind`: "user" or "group").
std::string ShowNames(netapi::Api& api, const common::BatchCall& next_batch,
                      Report& report, const std::string& key,
                      std::u16string_view kind);

}  // namespace corvane::cli
