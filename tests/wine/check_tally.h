// The tally a Wine client keeps: every check counts as passed or failed, and
// the client ends by printing "N passed, N failed", the line the harness
// reads (Wine's own tools print nothing on a crash, so a missing line fails).
#pragma once

#include <cstdio>
#include <string>

namespace corvane::wine_test {

inline int passed = 0;
inline int failed = 0;

inline void Check(const std::string& name, bool condition) {
  if (condition) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAIL %s\n", name.c_str());
  }
}

// Prints the summary line; the process's exit status.
inline int Summary() {
  std::printf("%d passed, %d failed\n", passed, failed);
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}

}  // namespace corvane::wine_test
