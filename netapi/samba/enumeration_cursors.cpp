#include "netapi/samba/enumeration_cursors.h"

#include <algorithm>

namespace corvane::netapi::samba {

std::optional<EnumerationCursors::Position> EnumerationCursors::Find(
    DWORD_PTR handle, const ListingKey& key) {
  std::lock_guard lock(mutex_);
  for (const Cursor& cursor : open_) {
    if (cursor.handle == handle && cursor.key == key) return cursor.position;
  }
  return std::nullopt;
}

DWORD_PTR EnumerationCursors::Continue(DWORD_PTR previous,
                                       const ListingKey& key, Position position,
                                       DWORD_PTR limit) {
  std::lock_guard lock(mutex_);
  std::erase_if(open_, [&](const Cursor& c) { return c.handle == previous; });
  while (open_.size() >= kMaxOpen) open_.pop_front();
  auto in_use = [&](DWORD_PTR h) {
    return std::any_of(open_.begin(), open_.end(),
                       [&](const Cursor& c) { return c.handle == h; });
  };
  do {
    last_handle_ = last_handle_ >= limit ? 1 : last_handle_ + 1;
  } while (in_use(last_handle_));
  open_.push_back(Cursor{last_handle_, key, std::move(position)});
  return last_handle_;
}

void EnumerationCursors::Close(DWORD_PTR handle) {
  std::lock_guard lock(mutex_);
  std::erase_if(open_, [&](const Cursor& c) { return c.handle == handle; });
}

}  // namespace corvane::netapi::samba
