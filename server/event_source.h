// The application event log source the server writes under, and the entry
// of its message table (server/event_messages.mc) that shows an event's
// text as it is.
#pragma once

namespace corvane::server {

inline constexpr char16_t kEventSource[] = u"Corvane";
// Severity informational, message 1: "%1".
inline constexpr unsigned long kEventTextId = 0x40000001;

}  // namespace corvane::server
