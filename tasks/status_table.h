// What the platform statuses a command can meet mean: the statuses the
// backends return (NERR_*, Win32, and NT statuses as Samba translates
// them), each with its name, its meaning and, where one helps, a hint.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane::tasks {

struct StatusInfo {
  std::int32_t number;
  std::string_view name;     // NERR_GroupExists
  std::string_view meaning;  // the group already exists
  std::string_view hint;     // what to try; may be empty
};

std::span<const StatusInfo> AllStatuses();
// Null for a status the table does not know.
const StatusInfo* FindStatus(std::int32_t number);

// The platform status an sLastError text reports: the number after
// "ERROR " or in "(error #N)"; none for "SUCCESS" and precondition texts.
std::optional<std::int32_t> StatusInText(std::string_view last_error);

// The sLastError text with its status's name and meaning added:
// "ERROR 2221 ... (NERR_UserNotFound: the user account does not exist)".
std::string Explained(const std::string& last_error);

}  // namespace corvane::tasks
