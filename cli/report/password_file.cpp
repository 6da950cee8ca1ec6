#include "cli/report/password_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "automation/text.h"
#include "cli/exit_status.h"
#include "cli/inputs/csv.h"

namespace corvane::cli {
namespace {

void Refuse(const std::string& option, const std::string& path, int error) {
  throw UsageError(option + " " + path + ": " +
                   (error == EEXIST ? std::string("the file exists; give a "
                                                  "new file, so that no "
                                                  "passwords are lost")
                                    : std::strerror(error)));
}

}  // namespace

PasswordFile::PasswordFile(const std::string& path, std::string option)
    : path_(path),
      option_(std::move(option)),
      fd_(::open(path.c_str(),
                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)) {
  if (!fd_) Refuse(option_, path, errno);
  // The creation mask may only narrow it; make sure it is exactly 600.
  if (::fchmod(fd_.get(), 0600) != 0) Refuse(option_, path, errno);
}

bool PasswordFile::Keep(std::string_view name,
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

void CheckPasswordFileIsNew(const std::string& path,
                            const std::string& option) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) Refuse(option, path, EEXIST);
}

}  // namespace corvane::cli
