#include "cli/inputs/private_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/exit_status.h"
#include "cli/report/report.h"

namespace corvane::cli {
namespace {

std::string Mode(const struct stat& info) {
  char mode[8];
  std::snprintf(mode, sizeof mode, "%03o",
                static_cast<unsigned>(info.st_mode & 0777));
  return mode;
}

}  // namespace

std::string PrivacyProblem(int fd, const std::string& what, bool trust_pipe) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    throw UsageError("cannot check " + what + ": " + std::strerror(errno));
  }
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) {
    if (trust_pipe) return "";
    return "it is a pipe, whose source cannot be checked; give "
           "--trust-pipe if what writes to it is private";
  }
  if (info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    return "it is mode " + Mode(info) +
           (info.st_uid != ::geteuid() ? ", owned by another user" : "");
  }
  return "";
}

void WarnIfOthersCanRead(const std::string& path, const std::string& option) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  if ((info.st_mode & 077) == 0) return;
  PrintError("warning", option + " " + path + " holds a password and is mode " +
                            Mode(info) +
                            ", so others may read it; run chmod 600 " + path);
}

}  // namespace corvane::cli
