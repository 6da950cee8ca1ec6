// corvane: scripting NT and Active Directory domain accounts from a shell.
#include "cli/run.h"

int main(int argc, char** argv) { return corvane::cli::Run(argc, argv); }
