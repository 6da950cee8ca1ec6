#include "netapi/removed_on_signal.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <stdexcept>

namespace corvane::netapi {
namespace {

constexpr int kSlots = 16;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
// Deeper folders are left: the handler recurses on its own stack.
constexpr int kFolderDepth = 8;

struct Slot {
  std::atomic<char*> path{nullptr};
  std::atomic<bool> folder{false};
};

Slot slots[kSlots];
std::once_flag handlers_installed;
// What each signal did before: the loaded Samba module has a registry of
// its own, and the two handlers chain.
struct sigaction previous_actions[std::size(kSignals)];

void RemoveFolderContents(int folder, int depth) {
  // getdents64 rather than readdir: readdir may allocate, which a signal
  // handler must not. Entries removed shift the listing, so it is read
  // again from the start until a pass removes nothing.
  alignas(8) char buffer[4096];
  for (bool removed = true; removed;) {
    removed = false;
    ::lseek(folder, 0, SEEK_SET);
    long n;
    while ((n = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer)) > 0) {
      for (long at = 0; at < n;) {
        const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
        at += entry->d_reclen;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
          continue;
        }
        if (::unlinkat(folder, name, 0) == 0) {
          removed = true;
          continue;
        }
        if (depth >= kFolderDepth) continue;
        const int inner =
            ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (inner < 0) continue;
        RemoveFolderContents(inner, depth + 1);
        ::close(inner);
        removed |= ::unlinkat(folder, name, AT_REMOVEDIR) == 0;
      }
    }
  }
}

void Remove(const char* path, bool folder) {
  if (!folder) {
    ::unlink(path);
    return;
  }
  const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd >= 0) {
    RemoveFolderContents(fd, 1);
    ::close(fd);
  }
  ::rmdir(path);
}

void RemoveAll() {
  const int saved_errno = errno;
  // Files first: one may lie in a registered folder.
  for (const bool folders : {false, true}) {
    for (Slot& slot : slots) {
      const char* path = slot.path.load();
      if (path != nullptr && slot.folder.load() == folders) {
        Remove(path, folders);
      }
    }
  }
  errno = saved_errno;
}

void OnSignal(int signal_number) {
  RemoveAll();
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (kSignals[i] == signal_number) {
      ::sigaction(signal_number, &previous_actions[i], nullptr);
    }
  }
  // Delivered once this handler returns and the signal is unblocked.
  ::raise(signal_number);
}

void InstallHandlers() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    ::sigaction(kSignals[i], nullptr, &previous_actions[i]);
    // A signal the caller ignores stays ignored (nohup).
    if (previous_actions[i].sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int blocked : kSignals) sigaddset(&action.sa_mask, blocked);
    ::sigaction(kSignals[i], &action, nullptr);
  }
  std::atexit(RemoveAll);
}

}  // namespace

RemovedOnSignal::RemovedOnSignal(const std::string& path, Kind kind) {
  std::call_once(handlers_installed, InstallHandlers);
  char* copy = ::strdup(path.c_str());
  if (copy == nullptr) throw std::bad_alloc();
  for (int i = 0; i < kSlots; ++i) {
    char* expected = nullptr;
    if (slots[i].path.load() != nullptr) continue;
    slots[i].folder = kind == Kind::kFolder;
    if (slots[i].path.compare_exchange_strong(expected, copy)) {
      slot_ = i;
      return;
    }
  }
  std::free(copy);
  throw std::runtime_error("too many temporary paths to remove at exit: " +
                           path);
}

RemovedOnSignal::~RemovedOnSignal() { Forget(); }

void RemovedOnSignal::Forget() {
  if (slot_ < 0) return;
  std::free(slots[slot_].path.exchange(nullptr));
  slot_ = -1;
}

void RemoveRegisteredPaths() { RemoveAll(); }

}  // namespace corvane::netapi
