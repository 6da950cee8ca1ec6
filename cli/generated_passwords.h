// Passwords made for new accounts, and the file that hands them to the
// administrator: created new, mode 600, never through a symbolic link.
#pragma once

#include <string>
#include <string_view>

#include "automation/secret.h"
#include "cli/unique_fd.h"

namespace corvane::cli {

// 16 characters from the kernel's random source, with an upper-case and a
// lower-case letter, a digit and a symbol, so that it meets a domain's
// complexity rules whatever the account's name.
automation::Secret GeneratePassword();

class PasswordFile {
 public:
  // Throws UsageError when the file exists or cannot be created.
  explicit PasswordFile(const std::string& path);
  // Appends "name,password"; false when the line could not be written.
  bool Write(std::string_view name, const automation::Secret& password);

 private:
  std::string path_;
  UniqueFd fd_;
};

// Throws UsageError when `path` exists, as PasswordFile would.
void CheckPasswordFileIsNew(const std::string& path);

}  // namespace corvane::cli
