// Changes to an account or a group that the contract has no member for:
// a new name (the SID stays), when the account expires, and whether its
// password must be changed at the next logon. Each is made on the platform
// layer directly, with the levels the platform defines for it, and
// answers "SUCCESS" or the failed call's text, worded as the classes word
// theirs.
#pragma once

#include <optional>
#include <string>

#include "common/event_log.h"
#include "netapi/api.h"
#include "tasks/account_facts.h"

namespace corvane::tasks {

// Where a change made here is told, as the classes tell an attribute
// change: an event to `sink` when the domain's eLogging is LogFull.
struct ChangeEvents {
  common::EventSink* sink = nullptr;  // none: nothing is told
  std::int32_t logging = common::kLogNone;
  void Tell(const std::u16string& text) const;
};

// NetUserSetInfo level 0.
std::string RenameUser(netapi::Api& api, const std::u16string& dc,
                       const std::u16string& user,
                       const std::u16string& new_name,
                       const ChangeEvents& events);
// NetGroupSetInfo level 0.
std::string RenameGroup(netapi::Api& api, const std::u16string& dc,
                        const std::u16string& group,
                        const std::u16string& new_name,
                        const ChangeEvents& events);

// NetUserSetInfo level 1017; none: the account never expires. A time the
// platform's 32-bit seconds cannot hold (before 1970, from 2106) is
// refused before any call.
std::string SetAccountExpiry(netapi::Api& api, const std::u16string& dc,
                             const std::u16string& user,
                             std::optional<Time> expires,
                             const ChangeEvents& events);

// The platform has no level for this alone: the account's level 4 record is
// read and written back whole with its password_expired changed (and no
// password). Nothing is written when it already reads as asked.
std::string SetMustChangePassword(netapi::Api& api, const std::u16string& dc,
                                  const std::u16string& user, bool must_change,
                                  const ChangeEvents& events);

// The account's expiry and must-change facts (one read of its record; the
// other facts as far as the record gives them, no policy or group read).
Read<AccountFacts> ReadLifecycle(netapi::Api& api, const std::u16string& dc,
                                 const std::u16string& user);

}  // namespace corvane::tasks
