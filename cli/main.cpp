// corvane: scripting NT and Active Directory domain accounts from a shell.
#include <sys/prctl.h>
#include <sys/resource.h>

#include "cli/run.h"

int main(int argc, char** argv) {
  // Passwords pass through this process's memory: a crash must not write
  // them to a core file, nor may another process of the user read them.
  const rlimit no_core{0, 0};
  ::setrlimit(RLIMIT_CORE, &no_core);
  ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  return corvane::cli::Run(argc, argv);
}
