#include "cli/report/slow_wait_notice.h"

#include <chrono>
#include <cstdio>

namespace corvane::cli {

SlowWaitNotice::SlowWaitNotice(std::string message)
    : watcher_([this, message = std::move(message)](std::stop_token stop) {
        std::unique_lock hold(mutex_);
        wake_.wait_for(hold, stop, std::chrono::seconds(1),
                       [] { return false; });
        if (!stop.stop_requested()) {
          std::fputs(message.c_str(), stderr);
          std::fflush(stderr);
        }
      }) {}

}  // namespace corvane::cli
