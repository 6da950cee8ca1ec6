#include "tests/freed_memory_watch.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace corvane::testing {
namespace {

// No allocation happens while a block is inspected: the pattern lives here.
constexpr std::size_t kMaxPattern = 256;
unsigned char pattern[kMaxPattern];
std::size_t pattern_bytes = 0;
std::atomic<bool> watching{false};
std::atomic<std::size_t> unwiped{0};

void Inspect(void* block) {
  if (block == nullptr || !watching.load(std::memory_order_relaxed)) return;
  const auto* begin = static_cast<const unsigned char*>(block);
  const auto* end = begin + malloc_usable_size(block);
  if (std::search(begin, end, pattern, pattern + pattern_bytes) != end) {
    unwiped.fetch_add(1, std::memory_order_relaxed);
  }
}

void* Allocate(std::size_t bytes) {
  if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) return block;
  throw std::bad_alloc();
}

void Free(void* block) {
  Inspect(block);
  std::free(block);
}

}  // namespace

FreedMemoryWatch::FreedMemoryWatch(std::u16string_view secret) {
  pattern_bytes = std::min(secret.size() * sizeof(char16_t), kMaxPattern);
  std::memcpy(pattern, secret.data(), pattern_bytes);
  unwiped = 0;
  watching = true;
}

FreedMemoryWatch::~FreedMemoryWatch() { watching = false; }

std::size_t FreedMemoryWatch::unwiped_blocks() const { return unwiped; }

}  // namespace corvane::testing

// The program's own allocation functions, so that every release passes the
// watch; blocks come from malloc and go back to free as before.
void* operator new(std::size_t bytes) {
  return corvane::testing::Allocate(bytes);
}
void* operator new[](std::size_t bytes) {
  return corvane::testing::Allocate(bytes);
}
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes == 0 ? 1 : bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes == 0 ? 1 : bytes);
}
void operator delete(void* block) noexcept { corvane::testing::Free(block); }
void operator delete[](void* block) noexcept { corvane::testing::Free(block); }
void operator delete(void* block, std::size_t) noexcept {
  corvane::testing::Free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  corvane::testing::Free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  corvane::testing::Free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  corvane::testing::Free(block);
}
