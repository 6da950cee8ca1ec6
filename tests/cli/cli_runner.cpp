#include "tests/cli/cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace corvane::cli_test {
namespace {

void Pipe(int fds[2]) {
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

RunningCommand::RunningCommand(const std::vector<std::string>& args,
                               const std::vector<std::string>& launcher) {
  int in[2], out[2], err[2];
  Pipe(in);
  Pipe(out);
  Pipe(err);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<std::string> argv_text = launcher;
  argv_text.push_back(CORVANE_BINARY);
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argv_text) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int failed = posix_spawnp(&pid_, argv_text.front().c_str(), &actions,
                                  nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  in_ = in[1];
  out_ = out[0];
  err_ = err[0];
  if (failed != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " CORVANE_BINARY);
  }
}

RunningCommand::~RunningCommand() {
  CloseFd(in_);
  CloseFd(out_);
  CloseFd(err_);
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

bool RunningCommand::WaitUntilAsleep() const {
  const std::string stat_path = "/proc/" + std::to_string(pid_) + "/stat";
  for (int tries = 0; tries < 500; ++tries) {
    const std::string stat = ReadFile(stat_path);
    // pid (comm) STATE ...: the state follows the last parenthesis.
    const auto close = stat.rfind(')');
    if (close != std::string::npos && close + 2 < stat.size() &&
        stat[close + 2] == 'S') {
      return true;
    }
    ::usleep(10000);
  }
  return false;
}

Outcome RunningCommand::Finish(const std::string& input) {
  // Small inputs fit the pipe, so writing first cannot block on output.
  std::size_t done = 0;
  ::signal(SIGPIPE, SIG_IGN);
  while (done < input.size()) {
    const ssize_t n = ::write(in_, input.data() + done, input.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  CloseFd(in_);
  Outcome outcome;
  pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
  std::string* sinks[2] = {&outcome.out, &outcome.err};
  int open = 2;
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char chunk[4096];
      const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
      if (n > 0) {
        sinks[i]->append(chunk, static_cast<std::size_t>(n));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  CloseFd(out_);
  CloseFd(err_);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

Outcome RunCorvane(const std::vector<std::string>& args,
                   const std::string& input) {
  RunningCommand command(args);
  return command.Finish(input);
}

TempDir::TempDir() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "corvane-cli-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace corvane::cli_test
