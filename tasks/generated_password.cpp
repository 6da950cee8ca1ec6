#include "tasks/generated_password.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace corvane::tasks {
namespace {

constexpr std::size_t kLength = 16;
constexpr std::string_view kClasses[] = {"ABCDEFGHJKLMNPQRSTUVWXYZ",
                                         "abcdefghijkmnopqrstuvwxyz",
                                         "23456789", "!#%&()*+-./:=?@^_~"};

std::uint32_t RandomWord() {
  std::uint32_t value = 0;
  while (::getrandom(&value, sizeof value, 0) != sizeof value) {
    if (errno != EINTR) {
      throw std::system_error(errno, std::generic_category(),
                              "no random source");
    }
  }
  return value;
}

// Uniform in [0, bound): words above the last whole multiple of `bound`
// are drawn again.
std::size_t RandomBelow(std::size_t bound) {
  const std::uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
  std::uint32_t value = RandomWord();
  while (value >= limit) value = RandomWord();
  return value % bound;
}

}  // namespace

automation::Secret GeneratePassword() {
  std::string all;
  for (const std::string_view chars : kClasses) all += chars;
  automation::Secret password;
  password.Reserve(kLength);
  for (const std::string_view chars : kClasses) {
    password.push_back(static_cast<char16_t>(chars[RandomBelow(chars.size())]));
  }
  while (password.size() < kLength) {
    password.push_back(static_cast<char16_t>(all[RandomBelow(all.size())]));
  }
  // Shuffled, so that the classes are not always in the same places.
  automation::Secret shuffled;
  shuffled.Reserve(kLength);
  std::u16string_view rest = password.view();
  char16_t mixed[kLength];
  for (std::size_t i = 0; i < kLength; ++i) mixed[i] = rest[i];
  for (std::size_t i = kLength - 1; i > 0; --i) {
    std::swap(mixed[i], mixed[RandomBelow(i + 1)]);
  }
  for (const char16_t c : mixed) shuffled.push_back(c);
  automation::WipeMemory(mixed, sizeof mixed);
  return shuffled;
}

}  // namespace corvane::tasks
