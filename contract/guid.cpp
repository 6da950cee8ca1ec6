#include "contract/guid.h"

#include <cctype>
#include <string>

namespace corvane::contract {
namespace {

std::string Canonical(std::string_view text) {
  if (text.size() >= 2 && text.front() == '{' && text.back() == '}') {
    text = text.substr(1, text.size() - 2);
  }
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out.push_back(
        static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return out;
}

}  // namespace

bool Guid::Matches(std::string_view other) const {
  return Canonical(text) == Canonical(other);
}

}  // namespace corvane::contract
