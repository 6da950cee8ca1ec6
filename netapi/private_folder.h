// A folder of the process's own (mode 700) in the temporary directory,
// removed with its contents when its owner goes, and by the process's
// signal handler (removed_on_signal.h) when SIGINT, SIGTERM or SIGHUP ends
// the process first: what is written there (a client configuration, a
// log) never outlives the process.
#pragma once

#include <memory>
#include <string>

#include "netapi/removed_on_signal.h"

namespace corvane::netapi {

class PrivateFolder {
 public:
  // `prefix` begins the folder's name; throws std::system_error when it
  // cannot be made.
  explicit PrivateFolder(const std::string& prefix);
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<RemovedOnSignal> removal_;
};

}  // namespace corvane::netapi
