#include "netapi/thread_id.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace corvane::netapi {

DWORD OsThreadId() {
#ifdef _WIN32
  return GetCurrentThreadId();
#else
  return static_cast<DWORD>(syscall(SYS_gettid));
#endif
}

}  // namespace corvane::netapi
