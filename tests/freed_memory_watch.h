// Sees every block the test program hands back to the heap through
// operator delete while a watch is active, and counts those that still hold
// a secret's characters: a copy released without being wiped.
#pragma once

#include <cstddef>
#include <string_view>

namespace corvane::testing {

class FreedMemoryWatch {
 public:
  // Only one watch at a time; `secret` must be long enough (8 characters or
  // more) that a string holding it lives on the heap.
  explicit FreedMemoryWatch(std::u16string_view secret);
  ~FreedMemoryWatch();
  FreedMemoryWatch(const FreedMemoryWatch&) = delete;
  FreedMemoryWatch& operator=(const FreedMemoryWatch&) = delete;

  // Blocks freed so far that held the secret.
  std::size_t unwiped_blocks() const;
};

}  // namespace corvane::testing
