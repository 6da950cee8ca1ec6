// Text shown as one line of output (a terminal, a log, a listing): control
// characters are written as \xHH, so that a name cannot start a further line
// or send a terminal an escape sequence.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::common {

// `text` (UTF-8) escaped; longer than `max_bytes` it is cut at a character
// boundary and ends with an ellipsis.
std::string OneLine(std::string_view text,
                    std::size_t max_bytes = std::string::npos);

}  // namespace corvane::common
