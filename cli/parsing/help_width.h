// Help text fitted to the terminal: lines longer than the width are
// broken between words, each continuation indented under the text it
// continues (an option's description under its description column).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::cli {

// COLUMNS when it is set, else the width of the terminal on standard
// output; none when neither is known (help then stays as it is, one
// description a line, for whatever reads it).
std::optional<std::size_t> HelpWidth();

std::string FitHelp(std::string_view help, std::size_t width);

}  // namespace corvane::cli
