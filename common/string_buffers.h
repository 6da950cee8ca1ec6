// The three kinds of buffer that carry text to and from the platform:
// argument buffers (text plus one NUL, for the duration of a call), record
// strings (the same in a block from NetApiBufferAllocate, stored in an input
// record and released after the call on every path), and returned buffers
// (allocated by the platform, released once their strings are copied out).
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "netapi/api.h"

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

// A record string owned until the end of its scope. Check status() before
// using it: when the block could not be allocated, get() is null and the
// call must not be made.
class RecordString {
 public:
  RecordString(netapi::Api& api, std::u16string_view text);
  ~RecordString();
  RecordString(const RecordString&) = delete;
  RecordString& operator=(const RecordString&) = delete;

  netapi::NET_API_STATUS status() const { return status_; }
  netapi::LPWSTR get() const { return block_; }

  // Secrets (passwords) are overwritten with zeros before release.
  void WipeOnRelease() { wipe_ = true; }

 private:
  netapi::Api& api_;
  netapi::LPWSTR block_ = nullptr;
  std::size_t bytes_ = 0;
  netapi::NET_API_STATUS status_;
  bool wipe_ = false;
};

// The record strings of one call, allocated in the order they are added.
// Allocation stops at the first block that cannot be had: Add then returns
// null and status() tells why; every block obtained is released with the
// owner.
class RecordStrings {
 public:
  explicit RecordStrings(netapi::Api& api) : api_(api) {}

  netapi::LPWSTR Add(std::u16string_view text);
  // As Add, for a secret: the block is zeroed before it is released.
  netapi::LPWSTR AddSecret(std::u16string_view text);
  netapi::NET_API_STATUS status() const { return status_; }

 private:
  netapi::Api& api_;
  std::deque<RecordString> blocks_;
  netapi::NET_API_STATUS status_ = netapi::NERR_Success;
};

// A block from NetApiBufferAllocate, released with the owner.
class AllocatedBlock {
 public:
  AllocatedBlock(netapi::Api& api, netapi::DWORD bytes);
  ~AllocatedBlock();
  AllocatedBlock(const AllocatedBlock&) = delete;
  AllocatedBlock& operator=(const AllocatedBlock&) = delete;

  netapi::NET_API_STATUS status() const { return status_; }
  void* get() const { return block_; }

 private:
  netapi::Api& api_;
  void* block_ = nullptr;
  netapi::NET_API_STATUS status_;
};

// A block the platform returned, released when the owner goes out of scope.
// Adopt only the output of a call that succeeded: a failed call's output is
// neither read nor released.
class ReturnedBuffer {
 public:
  ReturnedBuffer(netapi::Api& api, netapi::LPBYTE block)
      : api_(api), block_(block) {}
  ~ReturnedBuffer();
  ReturnedBuffer(const ReturnedBuffer&) = delete;
  ReturnedBuffer& operator=(const ReturnedBuffer&) = delete;

  template <typename Record>
  const Record* As() const {
    return reinterpret_cast<const Record*>(block_);
  }

 private:
  netapi::Api& api_;
  netapi::LPBYTE block_;
};

// The whole NUL-terminated string at `text`; a null address reads as the
// empty string. Strings are read whole, never cut to a fixed buffer.
std::u16string ReadString(netapi::LPCWSTR text);

}  // namespace corvane::common
