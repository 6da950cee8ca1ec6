#include "cli/parsing/member_path.h"

#include <cctype>
#include <charconv>

#include "automation/text.h"
#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

bool IsNameStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// A bare word: a boolean, a 32-bit integer, the password prompt, or text.
Argument Word(std::string_view word) {
  Argument argument;
  if (automation::EqualsIgnoringAsciiCase(word, "true") ||
      automation::EqualsIgnoringAsciiCase(word, "false")) {
    argument.kind = Argument::Kind::kBoolean;
    argument.boolean = automation::EqualsIgnoringAsciiCase(word, "true");
    return argument;
  }
  if (word == "@password") {
    argument.kind = Argument::Kind::kPassword;
    return argument;
  }
  std::int32_t number = 0;
  const char* end = word.data() + word.size();
  const auto [stop, error] = std::from_chars(word.data(), end, number);
  if (!word.empty() && error == std::errc() && stop == end) {
    argument.kind = Argument::Kind::kNumber;
    argument.number = number;
    return argument;
  }
  argument.kind = Argument::Kind::kText;
  argument.text = std::string(word);
  return argument;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  Statement Parse() {
    Statement statement;
    statement.source = std::string(text_);
    while (true) {
      statement.path.push_back(ParseSegment());
      if (AtEnd()) break;
      if (text_[at_] == '=') {
        ++at_;
        statement.assigned = ParseAssigned();
        break;
      }
      Expect('.');
    }
    return statement;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    // The text itself is not echoed: it may hold a secret.
    throw UsageError("column " + std::to_string(at_ + 1) + ": " + what);
  }
  bool AtEnd() const { return at_ >= text_.size(); }
  void SkipSpaces() {
    while (!AtEnd() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
  }
  void Expect(char c) {
    if (AtEnd() || text_[at_] != c) Fail(std::string("expected '") + c + "'");
    ++at_;
  }

  Segment ParseSegment() {
    Segment segment;
    if (AtEnd() || !IsNameStart(text_[at_])) Fail("expected a member name");
    const std::size_t start = at_;
    while (!AtEnd() && IsNameChar(text_[at_])) ++at_;
    segment.name = std::string(text_.substr(start, at_ - start));
    if (!AtEnd() && text_[at_] == '(') {
      ++at_;
      segment.has_arguments = true;
      segment.arguments = ParseArguments();
    }
    return segment;
  }

  std::vector<Argument> ParseArguments() {
    std::vector<Argument> arguments;
    SkipSpaces();
    if (!AtEnd() && text_[at_] == ')') {
      ++at_;
      return arguments;
    }
    while (true) {
      arguments.push_back(ParseArgument());
      SkipSpaces();
      if (AtEnd()) Fail("expected ')'");
      if (text_[at_] == ')') {
        ++at_;
        return arguments;
      }
      Expect(',');
    }
  }

  Argument ParseArgument() {
    SkipSpaces();
    if (AtEnd()) Fail("expected an argument or ')'");
    if (text_[at_] == '"') return Quoted();
    const std::size_t start = at_;
    while (!AtEnd() && text_[at_] != ',' && text_[at_] != ')') {
      if (text_[at_] == '"' || text_[at_] == '(') {
        Fail("unexpected character in an argument; quote the text");
      }
      ++at_;
    }
    std::string_view word = text_.substr(start, at_ - start);
    while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) {
      word.remove_suffix(1);
    }
    if (word.empty()) return Argument{};  // omitted
    return Word(word);
  }

  Argument ParseAssigned() {
    if (!AtEnd() && text_[at_] == '"') {
      Argument quoted = Quoted();
      if (!AtEnd()) Fail("unexpected text after the quoted value");
      return quoted;
    }
    const std::string_view rest = text_.substr(at_);
    at_ = text_.size();
    if (rest.empty()) {
      Argument empty;
      empty.kind = Argument::Kind::kText;
      return empty;
    }
    return Word(rest);
  }

  Argument Quoted() {
    Argument argument;
    argument.kind = Argument::Kind::kText;
    ++at_;  // opening quote
    while (true) {
      if (AtEnd()) Fail("unterminated quoted text");
      const char c = text_[at_++];
      if (c == '\\' && !AtEnd() && (text_[at_] == '"' || text_[at_] == '\\')) {
        argument.text += text_[at_++];
      } else if (c == '"') {
        if (!AtEnd() && text_[at_] == '"') {
          argument.text += '"';
          ++at_;
        } else {
          return argument;
        }
      } else {
        argument.text += c;
      }
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

Statement ParseStatement(std::string_view text) { return Parser(text).Parse(); }

std::string PathName(const Statement& statement) {
  std::string name;
  for (const Segment& segment : statement.path) {
    if (!name.empty()) name += '.';
    name += segment.name;
  }
  return name;
}

}  // namespace corvane::cli
