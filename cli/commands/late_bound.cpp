#include "cli/commands/late_bound.h"

#include "automation/text.h"
#include "cli/exit_status.h"

namespace corvane::cli {

std::u16string Wide(std::string_view utf8) {
  std::optional<std::u16string> text = automation::FromUtf8(utf8);
  if (!text) throw UsageError("argument is not valid UTF-8");
  return std::move(*text);
}

std::string Narrow(std::u16string_view text) {
  return automation::ToUtf8(text);
}

}  // namespace corvane::cli
