// The file that hands generated passwords to the administrator: created
// new, mode 600, never through a symbolic link.
#pragma once

#include <string>
#include <string_view>

#include "automation/secret.h"
#include "netapi/unique_fd.h"
#include "tasks/provisioning.h"

namespace corvane::cli {

class PasswordFile final : public tasks::GeneratedPasswords {
 public:
  // Throws UsageError when the file exists or cannot be created.
  // `option` names the file in messages.
  explicit PasswordFile(const std::string& path,
                        std::string option = "--generate-passwords");
  // Appends "name,password"; false when the line could not be written.
  bool Keep(std::string_view name, const automation::Secret& password) override;
  std::string Where() const override { return path_; }

 private:
  std::string path_;
  std::string option_;
  netapi::UniqueFd fd_;
};

// Throws UsageError when `path` exists, as PasswordFile would.
void CheckPasswordFileIsNew(const std::string& path,
                            const std::string& option = "--generate-passwords");

}  // namespace corvane::cli
