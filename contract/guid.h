// A COM identifier (CLSID, IID, LIBID) in its registry text form.
#pragma once

#include <string_view>

namespace corvane::contract {

struct Guid {
  std::string_view
      text;  // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case

  // Identifiers compare as numbers: letter case and braces do not matter.
  bool Matches(std::string_view other) const;
};

}  // namespace corvane::contract
