// The files `invoke -f` and `batch` read: one statement or command a line,
// blank lines skipped, `#` starting a comment.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

struct CommandFileLine {
  std::size_t number = 0;  // from 1
  std::string text;        // without its comment, trimmed
};

// How a line quotes text, so that a quoted `#` starts no comment:
// statements quote with "..." alone, batch lines as a shell does.
enum class Quoting { kStatements, kShell };

// The lines of FILE (standard input for "-") that hold something, without
// their comments. Throws UsageError when the file cannot be read.
std::vector<CommandFileLine> ReadCommandFile(const std::string& path,
                                             Quoting quoting);

// A line split into words as a shell splits it: 'single quotes' take the
// text as it is, "double quotes" take \" and \\, a backslash outside quotes
// takes the next character. Throws UsageError for an unterminated quote.
std::vector<std::string> SplitWords(std::string_view line);

}  // namespace corvane::cli
