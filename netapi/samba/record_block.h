// Returned records rebuilt in the platform's shape: one heap block holding
// the records one after the other, followed by every string (UTF-16,
// NUL-terminated) and byte field they point to. A single
// NetApiBufferFree releases the whole answer.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "netapi/samba/heap_block.h"
#include "netapi/types.h"

namespace corvane::netapi::samba {

// The string members of each record, in a fixed order that the drafts'
// `texts` follow. Password members are never returned by the platform and
// stay null.
template <typename Record>
struct RecordLayout;

template <>
struct RecordLayout<USER_INFO_0> {
  static constexpr std::array strings{&USER_INFO_0::usri0_name};
};
template <>
struct RecordLayout<USER_INFO_1> {
  static constexpr std::array strings{
      &USER_INFO_1::usri1_name, &USER_INFO_1::usri1_home_dir,
      &USER_INFO_1::usri1_comment, &USER_INFO_1::usri1_script_path};
};
template <>
struct RecordLayout<USER_INFO_2> {
  static constexpr std::array strings{
      &USER_INFO_2::usri2_name,        &USER_INFO_2::usri2_home_dir,
      &USER_INFO_2::usri2_comment,     &USER_INFO_2::usri2_script_path,
      &USER_INFO_2::usri2_full_name,   &USER_INFO_2::usri2_usr_comment,
      &USER_INFO_2::usri2_parms,       &USER_INFO_2::usri2_workstations,
      &USER_INFO_2::usri2_logon_server};
};
template <>
struct RecordLayout<GROUP_INFO_0> {
  static constexpr std::array strings{&GROUP_INFO_0::grpi0_name};
};
template <>
struct RecordLayout<GROUP_INFO_1> {
  static constexpr std::array strings{&GROUP_INFO_1::grpi1_name,
                                      &GROUP_INFO_1::grpi1_comment};
};
template <>
struct RecordLayout<GROUP_USERS_INFO_0> {
  static constexpr std::array strings{&GROUP_USERS_INFO_0::grui0_name};
};

template <typename Record>
inline constexpr std::size_t kStringCount =
    RecordLayout<Record>::strings.size();

// A record before it is placed: numeric members in `record`, texts by
// layout order, and an optional byte array (the logon hours of level 2).
template <typename Record>
struct RecordDraft {
  Record record{};
  std::array<std::u16string, kStringCount<Record>> texts;
  std::vector<BYTE> bytes;
};

// Bytes the record and its strings take in a block; the measure that
// preferred lengths are compared with.
template <typename Record>
std::size_t PlacedSize(const RecordDraft<Record>& draft) {
  std::size_t size = sizeof(Record) + draft.bytes.size();
  for (const std::u16string& text : draft.texts) {
    size += (text.size() + 1) * sizeof(WCHAR);
  }
  return size;
}

// nullptr for no records; throws nothing: a failed allocation is reported
// through `out_of_memory`.
template <typename Record>
HeapBlock PlaceRecords(const RecordDraft<Record>* drafts, std::size_t count,
                       bool& out_of_memory) {
  out_of_memory = false;
  if (count == 0) return nullptr;
  std::size_t total = 0;
  for (std::size_t i = 0; i < count; ++i) total += PlacedSize(drafts[i]);
  HeapBlock block(static_cast<BYTE*>(AllocateHeapBlock(total)));
  if (!block) {
    out_of_memory = true;
    return nullptr;
  }
  auto* records = reinterpret_cast<Record*>(block.get());
  BYTE* tail = block.get() + count * sizeof(Record);
  for (std::size_t i = 0; i < count; ++i) {
    records[i] = drafts[i].record;
    for (std::size_t f = 0; f < kStringCount<Record>; ++f) {
      const std::u16string& text = drafts[i].texts[f];
      const std::size_t bytes = (text.size() + 1) * sizeof(WCHAR);
      std::memcpy(tail, text.c_str(), bytes);
      records[i].*RecordLayout<Record>::strings[f] =
          reinterpret_cast<LPWSTR>(tail);
      tail += bytes;
    }
  }
  // Byte fields last: they need no alignment.
  for (std::size_t i = 0; i < count; ++i) {
    if constexpr (requires { &Record::usri2_logon_hours; }) {
      if (drafts[i].bytes.empty()) {
        records[i].usri2_logon_hours = nullptr;
      } else {
        std::memcpy(tail, drafts[i].bytes.data(), drafts[i].bytes.size());
        records[i].usri2_logon_hours = tail;
        tail += drafts[i].bytes.size();
      }
    }
  }
  return block;
}

}  // namespace corvane::netapi::samba
