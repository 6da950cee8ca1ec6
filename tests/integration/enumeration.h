// The callers' enumeration loop: batches until a batch reports status 0 or
// entriesread == totalentries, each batch released before the next call.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/integration/dc_environment.h"

namespace corvane::integration {

struct Batch {
  netapi::NET_API_STATUS status = 0;
  netapi::DWORD entries_read = 0;
  netapi::DWORD total_entries = 0;
  std::size_t bytes = 0;  // records plus their strings
};

struct Enumeration {
  netapi::NET_API_STATUS status = 0;  // of the last call
  std::vector<std::string> names;
  std::vector<Batch> batches;
};

// `call(bufptr, entriesread, totalentries)` makes one platform call with the
// caller's resume handle; records are single-name records.
template <typename Call>
Enumeration EnumerateAll(Call call) {
  Enumeration result;
  for (int guard = 0; guard < 100000; ++guard) {
    netapi::ApiBuffer buffer(TheApi());
    Batch batch;
    batch.status =
        call(buffer.put(), &batch.entries_read, &batch.total_entries);
    result.status = batch.status;
    if (batch.status != netapi::NERR_Success &&
        batch.status != netapi::ERROR_MORE_DATA) {
      return result;
    }
    auto* names = buffer.As<netapi::WCHAR*>();
    for (netapi::DWORD i = 0; i < batch.entries_read; ++i) {
      result.names.push_back(Narrow(names[i]));
      batch.bytes += sizeof(netapi::WCHAR*) +
                     (std::char_traits<char16_t>::length(names[i]) + 1) * 2;
    }
    result.batches.push_back(batch);
    if (batch.entries_read == batch.total_entries) return result;
  }
  ADD_FAILURE() << "enumeration did not end";
  return result;
}

}  // namespace corvane::integration
