#include "framework/graphics/linux/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <mutex>

extern char** environ;

namespace {
std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
  std::vector<char*> ptrs;
  ptrs.reserve(argv.size() + 1);
  for (const std::string& arg : argv) ptrs.push_back(const_cast<char*>(arg.c_str()));
  ptrs.push_back(nullptr);
  return ptrs;
}

// The exec of a missing program fails inside the child; exit status 127 tells it apart.
constexpr int kExecFailed = 127;

int WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
}  // namespace

ChildProcess::Result ChildProcess::Run(const std::vector<std::string>& argv) {
  Result result;
  if (argv.empty()) return result;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  std::vector<char*> args = ArgvPointers(argv);
  pid_t pid = -1;
  const int err = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (err != 0) {
    close(pipeFds[0]);
    return result;
  }

  char buffer[4096];
  for (;;) {
    const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (result.output.size() < kMaxOutput)
      result.output.append(buffer, std::min(size_t(n), kMaxOutput - result.output.size()));
  }
  close(pipeFds[0]);
  result.exitCode = WaitFor(pid);
  result.started = result.exitCode != kExecFailed;
  return result;
}

bool ChildProcess::Start(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  // Children started earlier are reaped here rather than by a thread, which could outlive the
  // module; a finished one stays a zombie only until the next start.
  static std::mutex mutex;
  static std::vector<pid_t> running;
  std::lock_guard<std::mutex> lock(mutex);
  std::erase_if(running, [](pid_t p) { return waitpid(p, nullptr, WNOHANG) != 0; });

  std::vector<char*> args = ArgvPointers(argv);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
  running.push_back(pid);
  return true;
}
