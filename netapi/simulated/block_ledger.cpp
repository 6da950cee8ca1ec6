#include "netapi/simulated/block_ledger.h"

#include <cstring>
#include <new>

namespace corvane::netapi::simulated {

BlockLedger::~BlockLedger() {
  // Blocks a caller leaked are reclaimed here so that a leak shows in the
  // ledger's count, not as a second report from the leak checker.
  for (const auto& [block, bytes] : blocks_) {
    ::operator delete(const_cast<void*>(block));
  }
}

void* BlockLedger::Allocate(std::size_t bytes) {
  void* block = ::operator new(bytes, std::nothrow);
  if (!block) return nullptr;
  // Like the platform's, a new block holds no zeros its receiver did not
  // write; unlike the platform's, its bytes are defined, so that whether a
  // released block is all zeros depends only on what was written.
  std::memset(block, kFreshByte, bytes);
  blocks_.emplace(block, bytes);
  return block;
}

bool BlockLedger::Release(void* block) {
  auto it = blocks_.find(block);
  if (it == blocks_.end()) {
    ++stray_releases_;
    return false;
  }
  blocks_.erase(it);
  ::operator delete(block);
  return true;
}

std::size_t BlockLedger::BlockSizeAt(const void* address) const {
  auto it = blocks_.find(address);
  return it == blocks_.end() ? 0 : it->second;
}

}  // namespace corvane::netapi::simulated
