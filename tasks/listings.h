// Listings of any length, walked batch by batch straight from the platform
// with the classes' own batch walk (common::ListNames): the contract's
// lists stop at 16-bit bounds, these do not. One batch is held at a time.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/name_listing.h"

namespace corvane::tasks {

// Larger than the classes' batches (fewer round trips), and still bounded.
inline constexpr netapi::DWORD kListingBatchBytes = 64 * 1024;

// The three listings, each a batch call on the controller `server` that
// keeps its own resume handle.
common::BatchCall UserBatches(netapi::Api& api, std::u16string server);
common::BatchCall GroupBatches(netapi::Api& api, std::u16string server);
common::BatchCall MemberBatches(netapi::Api& api, std::u16string server,
                                std::u16string group);

// Hands every name to `each` as it arrives, calling `before_batch` before
// each batch is asked for (so a caller can show the names it has); returns
// "SUCCESS" or the failure as the classes word it (`kind`: "user" or
// "group").
std::string WalkNames(netapi::Api& api, const common::BatchCall& next_batch,
                      std::u16string_view kind,
                      const std::function<void(std::string name)>& each,
                      const std::function<void()>& before_batch = {});

// Every name of a listing, for a task that needs them all before it goes
// on.
struct CollectedNames {
  std::vector<std::string> names;
  std::string result;
};
CollectedNames CollectNames(netapi::Api& api,
                            const common::BatchCall& next_batch,
                            std::u16string_view kind);

}  // namespace corvane::tasks
