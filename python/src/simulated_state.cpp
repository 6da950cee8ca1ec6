#include "python/src/simulated_state.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <stdexcept>
#include <utility>

namespace corvane::python {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

// Closes the descriptor it owns on every path.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  bool Close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

std::optional<std::string> ReadText(const std::string& path) {
  Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (file.get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    if (errno == ELOOP) {
      throw std::runtime_error("state file " + path +
                               " is a symbolic link: give the path of the "
                               "file itself");
    }
    Fail("cannot read state file", path);
  }
  std::string text;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("cannot read state file", path);
    if (n == 0) return text;
    text.append(chunk, static_cast<std::size_t>(n));
  }
}

// A file beside `path` that no one else can have prepared, removed again
// unless it is renamed into place.
class FreshFile {
 public:
  explicit FreshFile(const std::string& path) {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && file_.get() < 0; ++attempt) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, ".new-%08x", random());
      name_ = path + suffix;
      Fd opened(::open(name_.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       0600));
      if (opened.get() < 0 && errno != EEXIST) break;
      file_.Reset(opened.release());
    }
    if (file_.get() < 0) {
      const std::string failed = std::exchange(name_, std::string());
      Fail("cannot create", failed);
    }
    if (::fchmod(file_.get(), 0600) != 0) Fail("cannot set the mode of", name_);
  }
  ~FreshFile() {
    if (!name_.empty()) ::unlink(name_.c_str());
  }
  FreshFile(const FreshFile&) = delete;
  FreshFile& operator=(const FreshFile&) = delete;

  void Write(const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n =
          ::write(file_.get(), text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) Fail("cannot write", name_);
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(file_.get()) != 0 || !file_.Close()) {
      Fail("cannot write", name_);
    }
  }
  void RenameTo(const std::string& path) {
    if (::rename(name_.c_str(), path.c_str()) != 0) {
      Fail("cannot replace state file", path);
    }
    name_.clear();
  }

 private:
  std::string name_;
  Fd file_{-1};
};

void SyncFolderOf(const std::string& path) {
  const std::filesystem::path parent =
      std::filesystem::path(path).parent_path();
  const std::string folder =
      parent.empty() ? std::string(".") : parent.string();
  Fd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() < 0 ||
      (::fsync(directory.get()) != 0 && errno != EINVAL)) {
    Fail("cannot sync folder", folder);
  }
}

}  // namespace

SimulatedState::SimulatedState(std::string path) : path_(std::move(path)) {
  const std::string lock_path = path_ + ".lock";
  Fd lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                 0600));
  if (lock.get() < 0 && errno == ELOOP) {
    throw std::runtime_error("lock file " + lock_path +
                             " is a symbolic link: remove it");
  }
  if (lock.get() < 0) Fail("cannot open lock file", lock_path);
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) Fail("cannot lock", lock_path);
  }
  const std::optional<std::string> saved = ReadText(path_);
  if (saved && saved->empty()) {
    throw std::runtime_error("state file " + path_ +
                             " is empty: remove it to start afresh with the "
                             "demo domain");
  }
  try {
    network_ = saved ? netapi::simulated::LoadState(*saved)
                     : netapi::simulated::NewDemoNetwork();
  } catch (const netapi::simulated::StateFileError& error) {
    throw std::runtime_error("state file " + path_ +
                             " is unusable: " + error.what());
  }
  lock_ = lock.release();
}

SimulatedState::~SimulatedState() { Unlock(); }

void SimulatedState::Save() {
  FreshFile fresh(path_);
  fresh.Write(netapi::simulated::SaveState(network_));
  fresh.RenameTo(path_);
  SyncFolderOf(path_);
}

void SimulatedState::Unlock() {
  if (lock_ >= 0) ::close(std::exchange(lock_, -1));
}

}  // namespace corvane::python
