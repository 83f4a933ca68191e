#include "child_reaper.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "os/proc.h"
#include "os/subprocess.h"

namespace installwarden::standins {

common::Result<pid_t> startDetached(const std::vector<std::string>& argv) {
  os::Command command;
  command.argv = argv;
  command.input = os::Stream::kNull;
  command.output = os::Stream::kNull;
  command.errors = os::Stream::kNull;
  return os::spawnDetached(command);
}

int runReapingOrphans(const std::vector<std::string>& argv) {
  if (argv.empty() || ::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) return 127;
  os::Command command;
  command.argv = argv;
  const auto started = os::spawn(command);
  if (!started) return 127;

  int mainStatus = 0;
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(-1, &status, 0);
    if (ended < 0 && errno == EINTR) continue;
    if (ended < 0) break;
    if (ended == *started) {
      mainStatus = status;
      break;
    }
  }
  // Whatever the command left running ends with it.
  for (auto children = os::childrenOf(::getpid()); !children.empty();
       children = os::childrenOf(::getpid())) {
    for (const pid_t child : children) ::kill(child, SIGKILL);
    for (const pid_t child : children) ::waitpid(child, nullptr, 0);
  }
  if (WIFEXITED(mainStatus)) return WEXITSTATUS(mainStatus);
  return 128 + (WIFSIGNALED(mainStatus) ? WTERMSIG(mainStatus) : 0);
}

}  // namespace installwarden::standins
