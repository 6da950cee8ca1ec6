// The buffers that carry text to the platform: argument buffers (text plus
// one NUL, for the duration of a call) and record strings (the same in a
// block from NetApiBufferAllocate, stored in an input record and released
// after the call on every path). What the platform returns is owned by
// netapi::ApiBuffer and read with ReadString.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "netapi/api_buffer.h"

namespace corvane::common {

// Text followed by one NUL; an empty text is an empty string, never a null
// address.
class ArgumentBuffer {
 public:
  explicit ArgumentBuffer(std::u16string_view text) : text_(text) {}
  netapi::LPCWSTR get() const { return text_.c_str(); }

 private:
  std::u16string text_;
};

// The record strings of one call, each in its own block from
// NetApiBufferAllocate, allocated in the order they are added. Allocation
// stops at the first block that cannot be had: Add then returns null and
// status() tells why; every block obtained is released with the owner.
class RecordStrings {
 public:
  explicit RecordStrings(netapi::Api& api) : api_(api) {}

  netapi::LPWSTR Add(std::u16string_view text) { return Place(text, false); }
  // As Add, for a secret: the block is zeroed before it is released.
  netapi::LPWSTR AddSecret(std::u16string_view text) {
    return Place(text, true);
  }
  netapi::NET_API_STATUS status() const { return status_; }

 private:
  netapi::LPWSTR Place(std::u16string_view text, bool secret);

  netapi::Api& api_;
  std::deque<netapi::ApiBuffer> blocks_;
  netapi::NET_API_STATUS status_ = netapi::NERR_Success;
};

// The whole NUL-terminated string at `text`; a null address reads as the
// empty string. Strings are read whole, never cut to a fixed buffer.
std::u16string ReadString(netapi::LPCWSTR text);

}  // namespace corvane::common
