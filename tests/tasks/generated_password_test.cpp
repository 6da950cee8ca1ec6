// Generated passwords: every one has each character class, whatever the
// draw; enough draws that a class left to chance would be missed in one.
#include "tasks/generated_password.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace corvane::tasks {
namespace {

TEST(GeneratedPassword, EveryClassInEveryPasswordAndNoTwoAlike) {
  constexpr std::u16string_view kSymbols = u"!#%&()*+-./:=?@^_~";
  std::set<std::u16string> seen;
  for (int draw = 0; draw < 2000; ++draw) {
    const automation::Secret password = GeneratePassword();
    const std::u16string_view text = password.view();
    ASSERT_EQ(text.size(), 16u);
    bool upper = false, lower = false, digit = false, symbol = false;
    for (const char16_t c : text) {
      upper |= c >= u'A' && c <= u'Z';
      lower |= c >= u'a' && c <= u'z';
      digit |= c >= u'0' && c <= u'9';
      symbol |= kSymbols.find(c) != std::u16string_view::npos;
    }
    ASSERT_TRUE(upper && lower && digit && symbol) << draw;
    seen.emplace(text);
  }
  EXPECT_EQ(seen.size(), 2000u);
}

}  // namespace
}  // namespace corvane::tasks
