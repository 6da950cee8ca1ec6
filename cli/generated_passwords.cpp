#include "cli/generated_passwords.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "automation/text.h"
#include "cli/csv.h"
#include "cli/exit_status.h"

namespace corvane::cli {
namespace {

constexpr std::size_t kLength = 16;
constexpr std::string_view kClasses[] = {"ABCDEFGHJKLMNPQRSTUVWXYZ",
                                         "abcdefghijkmnopqrstuvwxyz",
                                         "23456789", "!#%&()*+-./:=?@^_~"};

// Uniform in [0, bound), from getrandom.
std::size_t RandomBelow(std::size_t bound) {
  const std::uint32_t limit = UINT32_MAX - UINT32_MAX % bound;
  std::uint32_t value;
  do {
    if (::getrandom(&value, sizeof value, 0) != sizeof value) {
      if (errno == EINTR) continue;
      throw UsageError(std::string("no random source: ") +
                       std::strerror(errno));
    }
  } while (value >= limit);
  return value % bound;
}

void Refuse(const std::string& path, int error) {
  throw UsageError("--generate-passwords " + path + ": " +
                   (error == EEXIST ? std::string("the file exists; give a "
                                                  "new file, so that no "
                                                  "passwords are lost")
                                    : std::strerror(error)));
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

PasswordFile::PasswordFile(const std::string& path)
    : path_(path),
      fd_(::open(path.c_str(),
                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)) {
  if (!fd_) Refuse(path, errno);
  // The creation mask may only narrow it; make sure it is exactly 600.
  if (::fchmod(fd_.get(), 0600) != 0) Refuse(path, errno);
}

bool PasswordFile::Write(std::string_view name,
                         const automation::Secret& password) {
  std::optional<automation::SecretUtf8> text =
      automation::ToUtf8Secret(password.view());
  if (!text) return false;
  automation::SecretUtf8 line(std::string_view(CsvField(name)));
  line.push_back(',');
  for (const char c : text->view()) line.push_back(c);
  line.push_back('\n');
  std::string_view left = line.view();
  while (!left.empty()) {
    const ssize_t wrote = ::write(fd_.get(), left.data(), left.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    left.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return ::fsync(fd_.get()) == 0 || errno == EINVAL;
}

void CheckPasswordFileIsNew(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) Refuse(path, EEXIST);
}

}  // namespace corvane::cli
