// A word on standard error when something the command waits for takes long,
// so that a user whose command seems to hang learns why.
#pragma once

#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

namespace corvane::cli {

// Writes `message` once if it still exists a second after its creation.
class SlowWaitNotice {
 public:
  explicit SlowWaitNotice(std::string message);
  SlowWaitNotice(const SlowWaitNotice&) = delete;
  SlowWaitNotice& operator=(const SlowWaitNotice&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::jthread watcher_;  // last: stopped and joined first
};

}  // namespace corvane::cli
