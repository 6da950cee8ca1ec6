#include "cli/inputs/command_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string WithoutComment(std::string_view line, bool shell) {
  bool quoted = false;         // in "..."
  bool single_quoted = false;  // in '...' (shell only)
  std::size_t end = line.size();
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (single_quoted) {
      single_quoted = c != '\'';
    } else if (c == '\\' && (quoted || shell)) {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == '\'' && shell && !quoted) {
      single_quoted = true;
    } else if (c == '#' && !quoted &&
               (!shell || i == 0 ||
                kBlanks.find(line[i - 1]) != kBlanks.npos)) {
      end = i;
      break;
    }
  }
  line = line.substr(0, end);
  const std::size_t first = line.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return "";
  return std::string(
      line.substr(first, line.find_last_not_of(kBlanks) - first + 1));
}

std::vector<CommandFileLine> ReadLines(std::istream& in, bool shell) {
  std::vector<CommandFileLine> lines;
  std::string line;
  for (std::size_t number = 1; std::getline(in, line); ++number) {
    std::string text = WithoutComment(line, shell);
    if (!text.empty()) lines.push_back({number, std::move(text)});
  }
  return lines;
}

}  // namespace

std::vector<CommandFileLine> ReadCommandFile(const std::string& path,
                                             Quoting quoting) {
  const bool shell = quoting == Quoting::kShell;
  if (path == "-") return ReadLines(std::cin, shell);
  std::ifstream file(path);
  if (!file) {
    throw UsageError("cannot read " + path + ": " + std::strerror(errno));
  }
  std::vector<CommandFileLine> lines = ReadLines(file, shell);
  if (file.bad()) {
    throw UsageError("cannot read " + path + ": " + std::strerror(errno));
  }
  return lines;
}

std::vector<std::string> SplitWords(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (kBlanks.find(c) != std::string_view::npos) {
      if (in_word) words.push_back(std::move(word));
      word.clear();
      in_word = false;
      continue;
    }
    in_word = true;
    if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
    } else if (c == '\'') {
      const std::size_t end = line.find('\'', i + 1);
      if (end == std::string_view::npos) throw UsageError("unterminated '");
      word += line.substr(i + 1, end - i - 1);
      i = end;
    } else if (c == '"') {
      for (++i;; ++i) {
        if (i >= line.size()) throw UsageError("unterminated \"");
        if (line[i] == '"') break;
        if (line[i] == '\\' && i + 1 < line.size() &&
            (line[i + 1] == '"' || line[i + 1] == '\\')) {
          ++i;
        }
        word += line[i];
      }
    } else {
      word += c;
    }
  }
  if (in_word) words.push_back(std::move(word));
  return words;
}

}  // namespace corvane::cli
