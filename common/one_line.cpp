#include "common/one_line.h"

#include <cstdio>

namespace corvane::common {

std::string OneLine(std::string_view text, std::size_t max_bytes) {
  static constexpr std::string_view kEllipsis = "\u2026";
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::string piece;
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      piece = escaped;
    } else {
      // A whole UTF-8 sequence at once, so that a cut never splits one.
      std::size_t end = i + 1;
      while (end < text.size() && (text[end] & 0xC0) == 0x80) ++end;
      piece.assign(text.substr(i, end - i));
      i = end - 1;
    }
    if (max_bytes != std::string::npos &&
        line.size() + piece.size() > max_bytes) {
      return line + std::string(kEllipsis);
    }
    line += piece;
  }
  return line;
}

}  // namespace corvane::common
