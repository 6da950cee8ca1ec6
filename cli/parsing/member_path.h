// The statements of `corvane invoke`: a dotted member path from the domain
// object, optionally ending in a call with arguments or an assignment.
//
//   statement := path [ "=" value ]
//   path      := segment { "." segment }
//   segment   := name [ "(" [ argument { "," argument } ] ")" ]
//   argument  := nothing (an omitted optional argument) | value
//   value     := "quoted text" | integer | true | false | @password | word
//
// Quoted text takes \" and \\ (and "" as a quote, as Basic does). A bare
// word is text; after "=" the whole rest is the value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

struct Argument {
  enum class Kind { kMissing, kText, kNumber, kBoolean, kPassword };
  Kind kind = Kind::kMissing;
  std::string text;
  std::int32_t number = 0;
  bool boolean = false;
};

struct Segment {
  std::string name;
  bool has_arguments = false;  // written with parentheses
  std::vector<Argument> arguments;
};

struct Statement {
  std::string source;
  std::vector<Segment> path;
  std::optional<Argument> assigned;
};

// Throws UsageError naming the column of the first thing it cannot read.
Statement ParseStatement(std::string_view text);

// "Groups.Users.Add": the path without argument values, to name the
// statement in messages without echoing what it was given.
std::string PathName(const Statement& statement);

}  // namespace corvane::cli
