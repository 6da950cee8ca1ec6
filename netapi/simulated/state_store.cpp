#include "netapi/simulated/state_store.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>

#include "netapi/removed_on_signal.h"

namespace corvane::netapi::simulated {
namespace {

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

// Links are refused rather than resolved: a link and its target would
// take different locks, and a link may lead where the passwords must not.
StateStoreError LinkRefused(const std::string& what, const std::string& path,
                            const std::string& remedy) {
  return StateStoreError(what + " " + path + " is a symbolic link: " + remedy);
}

UniqueFd LockBeside(const std::string& path, const WaitNotice& notice) {
  const std::string lock_path = path + ".lock";
  UniqueFd lock(::open(lock_path.c_str(),
                       O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!lock && errno == ELOOP) {
    throw LinkRefused("lock file", lock_path, "remove it");
  }
  if (!lock) throw StateStoreError(Reason("cannot open lock file", lock_path));
  if (::flock(lock.get(), LOCK_EX | LOCK_NB) == 0) return lock;
  if (errno != EWOULDBLOCK && errno != EINTR) {
    throw StateStoreError(Reason("cannot lock", lock_path));
  }
  if (notice) notice(true);
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) {
      if (notice) notice(false);
      throw StateStoreError(Reason("cannot lock", lock_path));
    }
  }
  if (notice) notice(false);
  return lock;
}

// Some 700,000 accounts; a larger file is more likely a mistake than a
// state, and would be read whole into memory.
constexpr std::size_t kMaxStateBytes = std::size_t{256} << 20;

StateStoreError TooLarge(const std::string& path) {
  return StateStoreError("state file " + path +
                         " is larger than the 256 MiB a state file may hold");
}

StateStoreError NotAFile(const std::string& path) {
  return StateStoreError("state file " + path +
                         " is not a regular file: give the path of a file");
}

// A FIFO or a device in the state file's place is refused before a lock
// file is made beside it.
void RefuseAnythingButAFile(const std::string& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return;  // reading tells why
  if (S_ISLNK(status.st_mode)) {
    throw LinkRefused("state file", path, "give the path of the file itself");
  }
  if (!S_ISREG(status.st_mode)) throw NotAFile(path);
}

// The file's text; none when it does not exist yet. Opened without
// blocking, so that a FIFO put in its place since is refused, not waited on.
std::optional<std::string> ReadState(const std::string& path) {
  UniqueFd file(
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!file) {
    if (errno == ENOENT) return std::nullopt;
    if (errno == ELOOP) {
      throw LinkRefused("state file", path, "give the path of the file itself");
    }
    throw StateStoreError(Reason("cannot read state file", path));
  }
  struct stat status;
  if (::fstat(file.get(), &status) != 0) {
    throw StateStoreError(Reason("cannot read state file", path));
  }
  if (!S_ISREG(status.st_mode)) throw NotAFile(path);
  if (static_cast<std::uint64_t>(status.st_size) > kMaxStateBytes) {
    throw TooLarge(path);
  }
  std::string text;
  text.reserve(static_cast<std::size_t>(status.st_size));
  char chunk[65536];
  while (true) {
    const ssize_t n = ::read(file.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw StateStoreError(Reason("cannot read state file", path));
    if (n == 0) break;
    text.append(chunk, static_cast<std::size_t>(n));
    if (text.size() > kMaxStateBytes) throw TooLarge(path);
  }
  return text;
}

// The signals that remove a new file, held back from its creation until
// it is registered, so that none can come between.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
      sigaddset(&held, signal_number);
    }
    ::sigprocmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

// A new file beside the state file that no one else can have prepared:
// created exclusively under a random name, never through a link, mode 600
// whatever the umask or a leftover file says. Removed again unless it
// was renamed into place, also when a signal ends the command: it holds
// every password.
class FreshFile {
 public:
  explicit FreshFile(const std::string& beside) {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, ".new-%08x", random());
      path_ = beside + suffix;
      const SignalsHeld held;
      file_ = UniqueFd(
          ::open(path_.c_str(),
                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
      if (file_) {
        on_signal_.emplace(path_, RemovedOnSignal::Kind::kFile);
      }
      if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
      const std::string failed = path_;
      path_.clear();
      throw StateStoreError(Reason("cannot create", failed));
    }
    if (::fchmod(file_.get(), 0600) != 0) Fail("cannot set the mode of");
  }
  ~FreshFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  FreshFile(const FreshFile&) = delete;
  FreshFile& operator=(const FreshFile&) = delete;

  void WriteAndSync(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n =
          ::write(file_.get(), text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) Fail("cannot write");
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(file_.get()) != 0 || !file_.Close()) Fail("cannot write");
  }

  void RenameTo(const std::string& path) {
    if (::rename(path_.c_str(), path.c_str()) != 0) {
      throw StateStoreError(Reason("cannot replace state file", path));
    }
    path_.clear();
    on_signal_.reset();
  }

 private:
  [[noreturn]] void Fail(const std::string& what) {
    throw StateStoreError(Reason(what, path_));
  }

  std::string path_;
  UniqueFd file_;
  std::optional<RemovedOnSignal> on_signal_;
};

// Lets a test stop a command with its new state written but not yet in
// place.
void PauseForTestBeforeReplacing() {
  if (std::getenv("CORVANE_TEST_PAUSE_BEFORE_REPLACING_STATE") != nullptr) {
    ::pause();
  }
}

// Makes the rename itself survive a crash of the machine.
void SyncFolderOf(const std::string& path) {
  // Built whole rather than assigned ".": g++ 12 warns falsely
  // (-Wrestrict) about assigning a literal to a string it cannot size.
  const std::filesystem::path parent =
      std::filesystem::path(path).parent_path();
  const std::string folder =
      parent.empty() ? std::string(".") : parent.string();
  UniqueFd directory(
      ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Some file systems cannot sync a folder (EINVAL); the rename stands.
  if (!directory || (::fsync(directory.get()) != 0 && errno != EINVAL)) {
    throw StateStoreError(Reason("cannot sync folder", folder));
  }
}

void WriteState(const std::string& path, const std::string& text) {
  FreshFile fresh(path);
  fresh.WriteAndSync(text);
  PauseForTestBeforeReplacing();
  fresh.RenameTo(path);
  SyncFolderOf(path);
}

}  // namespace

StoredState::StoredState(std::string path, StateAccess access,
                         const WaitNotice& notice)
    : path_(std::move(path)) {
  RefuseAnythingButAFile(path_);
  std::optional<std::string> saved;
  if (access == StateAccess::kReadOnly) saved = ReadState(path_);
  // A missing state is made and kept, by one at a time.
  if (access == StateAccess::kMayWrite || !saved) {
    lock_ = LockBeside(path_, notice);
    saved = ReadState(path_);
  }
  new_state_ = !saved;
  // Only a missing file starts a new demo; an empty one may be a state
  // the user expects, lost elsewhere, and is not to be replaced unasked.
  if (saved && saved->empty()) {
    throw StateStoreError("state file " + path_ +
                          " is empty: remove it to start afresh with the "
                          "demo domain");
  }
  try {
    network_ = saved ? LoadState(*saved) : NewDemoNetwork();
  } catch (const StateFileError& error) {
    throw StateStoreError("state file " + path_ +
                          " is unusable: " + error.what());
  }
  // The journal is for tests; no user reads it.
  network_.controller->journal().set_recording(false);
}

void StoredState::SaveIfChanged() {
  if (!new_state_ && network_.controller->changes() == 0) return;
  if (unlocked_) {
    throw StateStoreError("the state in " + path_ +
                          " was changed after it was given up; the change "
                          "is not kept");
  }
  if (!lock_) {
    throw StateStoreError("a command that only reads changed the state in " +
                          path_ + "; the change is not kept");
  }
  WriteState(path_, SaveState(network_));
  new_state_ = false;
}

}  // namespace corvane::netapi::simulated
