// How the enumerations fill a caller's list and walk the platform's
// batches. The list gets bounds 0 to 1 with "None" in element 1 until the
// first name replaces it; each further name adds one element, without
// copying the earlier ones. The batches end when the platform says the
// listing is complete (status 0) or a batch's counts are equal, whichever
// comes first; a batch that promises more data but holds none ends it too,
// as a failure, because asking again would never end. A failure reports
// the two counts as they stand after the failing call: a call that leaves
// them alone leaves those of the batch before.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "automation/string_array.h"
#include "netapi/api.h"

namespace corvane::common {

class NameList {
 public:
  // Re-dimensions `list`; a fixed-size or locked one raises before
  // anything changes.
  explicit NameList(automation::StringArray& list);
  void Add(std::u16string name);
  std::size_t count() const { return count_; }

 private:
  automation::StringArray& list_;
  std::size_t count_ = 0;
};

struct ListingFailure {
  netapi::NET_API_STATUS status;
  netapi::DWORD entries_read;
  netapi::DWORD total_entries;
};

// One batch call: fills the buffer pointer and the two counts.
using BatchCall = std::function<netapi::NET_API_STATUS(
    netapi::LPBYTE* buffer, netapi::LPDWORD entries_read,
    netapi::LPDWORD total_entries)>;

// Runs `next_batch` until the listing ends, handing each name of the level-0
// records (one name pointer each) to `store`. Every returned batch is
// released before the next call, also when `store` raises.
std::optional<ListingFailure> ListNames(
    netapi::Api& api, const BatchCall& next_batch,
    const std::function<void(std::u16string)>& store);

}  // namespace corvane::common
