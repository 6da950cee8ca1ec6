// corvane: scripting NT and Active Directory domain accounts from a shell.
#include <sys/prctl.h>
#include <sys/resource.h>

#include <exception>
#include <iostream>

#include "cli/exit_status.h"
#include "cli/run.h"

int main(int argc, char** argv) {
  // Passwords pass through this process's memory: a crash must not write
  // them to a core file, nor may another process of the user read them.
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  try {
    return corvane::cli::Run(argc, argv);
  } catch (const std::exception& error) {
    // What no layer foresaw (memory exhausted, say) ends the command
    // with a reason rather than an abort.
    std::cerr << "corvane: " << error.what() << "\n";
    return corvane::cli::kExitFailure;
  }
}
