#include "netapi/samba_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <system_error>

namespace corvane::netapi {

std::string FirstExistingPath(const std::vector<std::string>& candidates) {
  for (const std::string& candidate : candidates) {
    std::error_code error;
    if (std::filesystem::exists(candidate, error)) return candidate;
  }
  return candidates.empty() ? std::string() : candidates.back();
}

namespace {

const samba::SambaModule* Load(const std::string& path) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    throw std::runtime_error("cannot load the Samba backend " + path + ": " +
                             (reason ? reason : "unknown reason"));
  }
  using Entry = const samba::SambaModule* (*)();
  auto entry =
      reinterpret_cast<Entry>(::dlsym(handle, samba::kSambaModuleEntry));
  if (entry == nullptr) {
    throw std::runtime_error(path + " is not corvane's Samba backend");
  }
  return entry();
}

}  // namespace

const samba::SambaModule& LoadSambaModule(const std::string& path) {
  // A failed load is tried again on the next call, as a face may retry
  // with the module installed or the environment fixed.
  static std::mutex guard;
  static const samba::SambaModule* module = nullptr;
  const std::lock_guard<std::mutex> lock(guard);
  if (module == nullptr) module = Load(path);
  return *module;
}

}  // namespace corvane::netapi
