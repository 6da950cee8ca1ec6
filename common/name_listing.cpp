#include "common/name_listing.h"

#include "common/string_buffers.h"

namespace corvane::common {

NameList::NameList(automation::StringArray& list) : list_(list) {
  list_.Redim(0, 1);
  list_.Set(1, u"None");
}

void NameList::Add(std::u16string name) {
  if (count_++ == 0) {
    list_.Set(1, std::move(name));
  } else {
    list_.Append(std::move(name));
  }
}

std::optional<ListingFailure> ListNames(
    netapi::Api& api, const BatchCall& next_batch,
    const std::function<void(std::u16string)>& store) {
  // The counts carry over from batch to batch, so that a failure reports
  // them as they stand after the failing call, whether it set them or not.
  netapi::DWORD entries_read = 0;
  netapi::DWORD total_entries = 0;
  for (;;) {
    netapi::ApiBuffer batch(api);
    const netapi::NET_API_STATUS status = KeepIfSucceeded(
        batch, next_batch(batch.put(), &entries_read, &total_entries));
    if (!netapi::Succeeded(status)) {
      return ListingFailure{status, entries_read, total_entries};
    }
    const auto* names = batch.As<netapi::LPWSTR>();
    for (netapi::DWORD i = 0; i < entries_read; ++i) {
      store(ReadString(names[i]));
    }
    if (status == netapi::NERR_Success || entries_read == total_entries) {
      return std::nullopt;
    }
    if (entries_read == 0) {
      return ListingFailure{status, entries_read, total_entries};
    }
  }
}

}  // namespace corvane::common
