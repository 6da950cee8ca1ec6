// Builds a returned buffer the way the platform lays it out: one block
// holding an array of fixed-size records followed by every string (UTF-16,
// NUL-terminated) and byte array they point to, so one NetApiBufferFree
// releases the whole answer. Fields are set by name, so a value cannot land
// in the wrong field. Both rebuilding backends (the simulated controller and
// the Samba backend) answer through it.
#pragma once

#include <cstddef>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "netapi/types.h"

namespace corvane::netapi {

// Allocates `bytes` bytes; returns null when it cannot.
using BlockAllocator = std::function<void*(std::size_t bytes)>;

template <typename Record>
class RecordBuilder {
 public:
  // Starts a record, all zeros; numbers are set on the reference, texts and
  // bytes with Text() and Bytes(). A text not set stays null.
  Record& Add() {
    records_.emplace_back();
    bytes_ += sizeof(Record);
    return records_.back();
  }
  // Sets `field` of the record added last.
  void Text(LPWSTR Record::*field, std::u16string_view value) {
    texts_.push_back({records_.size() - 1, field, std::u16string(value)});
    bytes_ += (value.size() + 1) * sizeof(WCHAR);
  }
  // `field` is a BYTE* (logon hours) or a PSID.
  template <typename Pointer>
  void Bytes(Pointer Record::*field, std::span<const BYTE> value) {
    arrays_.push_back(
        {records_.size() - 1, field, {value.begin(), value.end()}});
    bytes_ += value.size();
  }
  // Takes back the record added last, with its texts and bytes.
  void DropLast() {
    const std::size_t last = records_.size() - 1;
    while (!texts_.empty() && texts_.back().record == last) {
      bytes_ -= (texts_.back().value.size() + 1) * sizeof(WCHAR);
      texts_.pop_back();
    }
    while (!arrays_.empty() && arrays_.back().record == last) {
      bytes_ -= arrays_.back().value.size();
      arrays_.pop_back();
    }
    records_.pop_back();
    bytes_ -= sizeof(Record);
  }

  std::size_t count() const { return records_.size(); }
  // Bytes the records with their strings and arrays take in the block: what
  // a preferred length is compared with.
  std::size_t bytes() const { return bytes_; }

  // The block, or null when the allocator fails. No records still give a
  // block, as the platform answers an empty enumeration.
  LPBYTE Build(const BlockAllocator& allocate) const {
    auto* block = static_cast<LPBYTE>(allocate(bytes_ == 0 ? 1 : bytes_));
    if (block == nullptr) return nullptr;
    auto* records = reinterpret_cast<Record*>(block);
    if (!records_.empty()) {
      std::memcpy(static_cast<void*>(records), records_.data(),
                  records_.size() * sizeof(Record));
    }
    BYTE* tail = block + records_.size() * sizeof(Record);
    for (const PendingText& text : texts_) {
      const std::size_t size = (text.value.size() + 1) * sizeof(WCHAR);
      std::memcpy(tail, text.value.c_str(), size);
      records[text.record].*text.field = reinterpret_cast<LPWSTR>(tail);
      tail += size;
    }
    // Byte arrays last: they need no alignment.
    for (const PendingBytes& array : arrays_) {
      if (!array.value.empty()) {
        std::memcpy(tail, array.value.data(), array.value.size());
      }
      std::visit([&](auto field) { records[array.record].*field = tail; },
                 array.field);
      tail += array.value.size();
    }
    return block;
  }

 private:
  struct PendingText {
    std::size_t record;
    LPWSTR Record::*field;
    std::u16string value;
  };
  struct PendingBytes {
    std::size_t record;
    std::variant<BYTE * Record::*, PSID Record::*> field;
    std::vector<BYTE> value;
  };
  std::vector<Record> records_;
  std::vector<PendingText> texts_;
  std::vector<PendingBytes> arrays_;
  std::size_t bytes_ = 0;
};

}  // namespace corvane::netapi
