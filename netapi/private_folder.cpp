#include "netapi/private_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace corvane::netapi {

PrivateFolder::PrivateFolder(const std::string& prefix)
    : path_((std::filesystem::temp_directory_path() / (prefix + "XXXXXX"))
                .string()) {
  if (::mkdtemp(path_.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(),
                            "cannot make a private folder");
  }
  try {
    removal_ = std::make_unique<RemovedOnSignal>(
        path_, RemovedOnSignal::Kind::kFolder);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    throw;
  }
}

PrivateFolder::~PrivateFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace corvane::netapi
