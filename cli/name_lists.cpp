#include "cli/name_lists.h"

#include "automation/text.h"

namespace corvane::cli {

std::vector<std::string> NamesOf(const automation::StringArray& list,
                                 const std::function<bool()>& none_is_real) {
  std::vector<std::string> names;
  // Element 0 is never written; names start at 1.
  for (std::int32_t i = 1; i <= list.UpperBound(); ++i) {
    names.push_back(automation::ToUtf8(list.at(i)));
  }
  if (names.size() == 1 && names.front() == "None" && !none_is_real()) {
    names.clear();
  }
  return names;
}

}  // namespace corvane::cli
