#include "cli/parsing/help_width.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>

namespace corvane::cli {
namespace {

// Narrower than this, wrapping helps nobody.
constexpr std::size_t kNarrowest = 40;

// Where a line's text starts: an option row's description column (two
// spaces after the option's names, past the indent), else the indent.
std::size_t ContinuationIndent(std::string_view line) {
  const std::size_t indent = line.find_first_not_of(' ');
  if (indent == std::string_view::npos) return 0;
  const std::size_t gap = line.find("  ", indent);
  if (gap != std::string_view::npos && line[indent] == '-') {
    const std::size_t text = line.find_first_not_of(' ', gap);
    if (text != std::string_view::npos) return text;
  }
  return indent;
}

void AppendFitted(std::string_view line, std::size_t width, std::string& out) {
  const std::size_t indent = ContinuationIndent(line);
  std::string piece(line.substr(0, indent));
  bool piece_has_text = false;
  std::string_view rest = line.substr(indent);
  while (!rest.empty()) {
    const std::size_t end = rest.find(' ');
    const std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view()
                                         : rest.substr(end + 1);
    if (word.empty()) continue;
    // A word longer than the line stays whole on a line of its own.
    if (piece_has_text && piece.size() + 1 + word.size() > width) {
      out.append(piece).append("\n");
      piece.assign(indent, ' ');
      piece_has_text = false;
    }
    if (piece_has_text) piece += ' ';
    piece.append(word);
    piece_has_text = true;
  }
  out.append(piece).append("\n");
}

}  // namespace

std::optional<std::size_t> HelpWidth() {
  if (const char* columns = std::getenv("COLUMNS"); columns && *columns) {
    std::size_t width = 0;
    const std::string_view text(columns);
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), width);
    if (error == std::errc() && end == text.data() + text.size() &&
        width >= kNarrowest) {
      return width;
    }
  }
  winsize size{};
  if (::isatty(STDOUT_FILENO) &&
      ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 &&
      size.ws_col >= kNarrowest) {
    return size.ws_col;
  }
  return std::nullopt;
}

std::string FitHelp(std::string_view help, std::size_t width) {
  std::string out;
  while (!help.empty()) {
    const std::size_t end = help.find('\n');
    const std::string_view line = help.substr(0, end);
    if (line.size() > width) {
      AppendFitted(line, width, out);
    } else {
      out.append(line).append("\n");
    }
    if (end == std::string_view::npos) break;
    help.remove_prefix(end + 1);
  }
  return out;
}

}  // namespace corvane::cli
