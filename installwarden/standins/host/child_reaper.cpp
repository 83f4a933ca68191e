#include "child_reaper.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "standin_files.h"

namespace installwarden::standins {

namespace {

[[noreturn]] void execOrExit(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& argument : argv) args.push_back(const_cast<char*>(argument.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

/// Pids whose parent is this process, from /proc.
std::vector<pid_t> ownChildren() {
  std::vector<pid_t> children;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return children;
  const std::string self = std::to_string(::getpid());
  while (const dirent* entry = ::readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const auto stat = readFile("/proc/" + name + "/stat");
    if (!stat) continue;
    const auto nameEnd = stat->rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 4 >= stat->size()) continue;
    const auto parentStart = nameEnd + 4;  // ") S <ppid> "
    const auto parentEnd = stat->find(' ', parentStart);
    if (stat->substr(parentStart, parentEnd - parentStart) == self) {
      children.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  ::closedir(proc);
  return children;
}

}  // namespace

pid_t startDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  const pid_t child = ::fork();
  if (child != 0) return child;
  ::setsid();
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
  }
  ::close_range(STDERR_FILENO + 1, ~0U, 0);
  execOrExit(argv);
}

int runReapingOrphans(const std::vector<std::string>& argv) {
  if (argv.empty() || ::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) return 127;
  const pid_t command = ::fork();
  if (command < 0) return 127;
  if (command == 0) execOrExit(argv);

  int mainStatus = 0;
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(-1, &status, 0);
    if (ended < 0 && errno == EINTR) continue;
    if (ended < 0) break;
    if (ended == command) {
      mainStatus = status;
      break;
    }
  }
  // Whatever the command left running ends with it.
  for (auto children = ownChildren(); !children.empty(); children = ownChildren()) {
    for (const pid_t child : children) ::kill(child, SIGKILL);
    for (const pid_t child : children) ::waitpid(child, nullptr, 0);
  }
  if (WIFEXITED(mainStatus)) return WEXITSTATUS(mainStatus);
  return 128 + (WIFSIGNALED(mainStatus) ? WTERMSIG(mainStatus) : 0);
}

}  // namespace installwarden::standins
