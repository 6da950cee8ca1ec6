// One owner for every block that crosses the platform layer: buffers a call
// returns, blocks from NetApiBufferAllocate, and the blocks a backend builds
// before handing them out. `Release` says how a block is given back (the
// layer's NetApiBufferFree, libnetapi's, the C heap).
//
// put() is the out-parameter of a call: it releases what was held and
// takes whatever the call leaves there. A caller of the platform layer
// then applies the layer's buffer rule with KeepIfSucceeded (api_buffer.h).
#pragma once

#include <utility>

#include "netapi/types.h"

namespace corvane::netapi {

template <typename Release>
class UniqueBuffer {
 public:
  UniqueBuffer() = default;
  explicit UniqueBuffer(Release release, void* block = nullptr)
      : release_(std::move(release)), block_(static_cast<LPBYTE>(block)) {}
  ~UniqueBuffer() { reset(); }

  UniqueBuffer(UniqueBuffer&& other) noexcept
      : release_(std::move(other.release_)), block_(other.block_) {
    other.block_ = nullptr;
  }
  UniqueBuffer& operator=(UniqueBuffer&& other) noexcept {
    if (this != &other) {
      reset();
      release_ = std::move(other.release_);
      block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
  }
  UniqueBuffer(const UniqueBuffer&) = delete;
  UniqueBuffer& operator=(const UniqueBuffer&) = delete;

  // The address a call writes its buffer to.
  LPBYTE* put() {
    reset();
    return &block_;
  }
  // The same, for calls that take a void**.
  void** put_void() { return reinterpret_cast<void**>(put()); }

  // Forgets the block without releasing it: it is not ours (the output of
  // a failed call) or it now belongs to someone else.
  LPBYTE release() { return std::exchange(block_, nullptr); }
  void reset() {
    if (block_ != nullptr) release_(std::exchange(block_, nullptr));
  }

  LPBYTE get() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }
  template <typename Record>
  const Record* As() const {
    return reinterpret_cast<const Record*>(block_);
  }
  Release& releaser() { return release_; }

 private:
  Release release_{};
  LPBYTE block_ = nullptr;
};

}  // namespace corvane::netapi
