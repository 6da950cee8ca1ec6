// Allocation accounting of the simulated controller: every block it hands
// out (from NetApiBufferAllocate or as a returned buffer) until it is
// released. Releasing something it never handed out, or twice, is counted
// as a stray release.
#pragma once

#include <cstddef>
#include <map>

namespace corvane::netapi::simulated {

class BlockLedger {
 public:
  // What every byte of a block holds until its receiver writes it.
  static constexpr unsigned char kFreshByte = 0xA5;

  BlockLedger() = default;
  ~BlockLedger();
  BlockLedger(const BlockLedger&) = delete;
  BlockLedger& operator=(const BlockLedger&) = delete;

  void* Allocate(std::size_t bytes);
  // False for a stray release.
  bool Release(void* block);

  std::size_t outstanding() const { return blocks_.size(); }
  std::size_t stray_releases() const { return stray_releases_; }
  // The size of the live block starting exactly at `address`, or 0.
  std::size_t BlockSizeAt(const void* address) const;

 private:
  std::map<const void*, std::size_t> blocks_;
  std::size_t stray_releases_ = 0;
};

}  // namespace corvane::netapi::simulated
