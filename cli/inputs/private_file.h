// Files that hold passwords: only the caller may read or replace them. A
// pipe's mode says nothing of where its bytes come from (fstat shows mode
// 600 and the caller for any pipe), so a pipe counts as private only when
// the caller says so.
#pragma once

#include <string>

namespace corvane::cli {

// Why the opened `fd` is not private ("it is mode 644", "it is a pipe, ...");
// empty when it is the caller's with mode 600, or a pipe or socket and
// `trust_pipe`. Throws UsageError when it cannot be checked.
std::string PrivacyProblem(int fd, const std::string& what, bool trust_pipe);

// Warns on standard error when the file at `path` (given with `option`) is a
// regular file others may read: it holds a password.
void WarnIfOthersCanRead(const std::string& path, const std::string& option);

}  // namespace corvane::cli
