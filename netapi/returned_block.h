// Lays out a returned buffer the way the platform does: one block holding an
// array of fixed-size records followed by the strings they point to, so one
// NetApiBufferFree releases it all. Backends that rebuild records (the
// simulated controller, the Samba backend) fill their results with it.
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "netapi/types.h"

namespace corvane::netapi {

// Allocates `bytes` bytes; returns null when it cannot.
using BlockAllocator = std::function<void*(std::size_t bytes)>;

template <typename Record>
class ReturnedBlockBuilder {
 public:
  // Adds a record; string fields are set with Text().
  Record& AddRecord() {
    records_.emplace_back();
    return records_.back();
  }

  // Notes that `field` of the last record added points to `text`.
  void Text(LPWSTR Record::*field, std::u16string text) {
    texts_.push_back({records_.size() - 1, field, std::move(text)});
  }

  // Null when the allocator fails. An empty builder still returns a block,
  // as the platform does for an empty enumeration.
  LPBYTE Build(const BlockAllocator& allocate) const {
    std::size_t bytes = records_.size() * sizeof(Record);
    for (const auto& text : texts_) {
      bytes += (text.value.size() + 1) * sizeof(WCHAR);
    }
    auto* block = static_cast<LPBYTE>(allocate(bytes == 0 ? 1 : bytes));
    if (!block) return nullptr;
    auto* records = reinterpret_cast<Record*>(block);
    if (!records_.empty()) {
      std::memcpy(static_cast<void*>(records), records_.data(),
                  records_.size() * sizeof(Record));
    }
    auto* strings =
        reinterpret_cast<LPWSTR>(block + records_.size() * sizeof(Record));
    for (const auto& text : texts_) {
      std::memcpy(strings, text.value.data(),
                  text.value.size() * sizeof(WCHAR));
      strings[text.value.size()] = u'\0';
      records[text.record].*text.field = strings;
      strings += text.value.size() + 1;
    }
    return block;
  }

 private:
  struct PendingText {
    std::size_t record;
    LPWSTR Record::*field;
    std::u16string value;
  };
  std::vector<Record> records_;
  std::vector<PendingText> texts_;
};

}  // namespace corvane::netapi
