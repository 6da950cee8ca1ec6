// Enumerations are read from the controller one large batch at a time (much
// faster than the caller's small ones), and handed to the caller batch by
// batch under the platform's contract: ERROR_MORE_DATA while more remain,
// so that only one of the controller's batches is held at a time. A resume
// handle names a cursor into such a listing; handles are opaque and never 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "netapi/types.h"

struct corvane_ldap_cursor;  // ldap_users.h

namespace corvane::netapi::samba {

struct ListedUser;  // user_records.h

struct ListedEntry {
  std::u16string name;
  std::u16string comment;
  // A user listing at a level with the accounts' facts: the account.
  std::shared_ptr<const ListedUser> user;
};
// A listing being read: the entries received and not yet handed out, and
// where the controller's own enumeration goes on.
struct PendingListing {
  std::deque<ListedEntry> entries;
  std::size_t bytes = 0;  // the entries' estimated size as records
  std::uint32_t resume = 0;
  bool complete = false;  // the controller has sent its last entry
  // A member listing's relative ids, read once; `resume` indexes them.
  std::optional<std::vector<std::uint32_t>> member_rids;
  // A user listing read from the directory: where its next page starts.
  std::shared_ptr<corvane_ldap_cursor> directory;
};

// The enumerations a cursor can belong to.
enum class ListingKind { kUsers, kGroups, kGroupMembers };

// What an enumeration lists; a handle only continues the same one.
struct ListingKey {
  ListingKind kind = ListingKind::kUsers;
  std::string server;
  DWORD level = 0;
  DWORD filter = 0;
  std::uint32_t query = 0;  // a user listing narrowed by the directory
  std::string group;
  bool operator==(const ListingKey&) const = default;
};

class EnumerationCursors {
 public:
  struct Position {
    std::shared_ptr<PendingListing> listing;
  };

  // The cursor of `handle`, if it is live and belongs to `key`.
  std::optional<Position> Find(DWORD_PTR handle, const ListingKey& key);
  // A handle for continuing at `position`; replaces `previous` (0: none).
  // `limit` caps the value for callers whose handle is 32 bits wide.
  DWORD_PTR Continue(DWORD_PTR previous, const ListingKey& key,
                     Position position, DWORD_PTR limit);
  void Close(DWORD_PTR handle);

 private:
  // Abandoned enumerations are forgotten oldest first beyond this many.
  static constexpr std::size_t kMaxOpen = 32;

  struct Cursor {
    DWORD_PTR handle;
    ListingKey key;
    Position position;
  };
  std::mutex mutex_;
  std::deque<Cursor> open_;
  DWORD_PTR last_handle_ = 0;
};

}  // namespace corvane::netapi::samba
