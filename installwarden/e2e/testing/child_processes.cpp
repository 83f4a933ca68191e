#include "child_processes.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "os/proc.h"
#include "os/subprocess.h"

extern char** environ;

namespace installwarden::e2e {

ChildProcesses::ChildProcesses() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

ChildProcesses::~ChildProcesses() { killAll(); }

void ChildProcesses::killAll() {
  // Killing a process hands its own children to us, so repeat until nobody is left.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (auto children = os::childrenOf(::getpid());
       !children.empty() && std::chrono::steady_clock::now() < deadline;
       children = os::childrenOf(::getpid())) {
    for (const pid_t child : children) ::kill(child, SIGKILL);
    for (const pid_t child : children) ::waitpid(child, nullptr, 0);
  }
}

common::Result<pid_t> ChildProcesses::start(const std::vector<std::string>& argv,
                                            const std::vector<std::string>& environment,
                                            const std::string& outputPath) {
  os::Command command;
  command.argv = argv;
  command.environment = environment;
  command.input = os::Stream::kNull;
  command.output = os::Stream::kFile;
  command.errors = os::Stream::kFile;
  command.file = outputPath;
  return os::spawn(command);
}

void ChildProcesses::reap() {
  for (;;) {
    int status = 0;
    const pid_t pid = ::waitpid(-1, &status, WNOHANG);
    if (pid < 0 && errno == EINTR) continue;
    if (pid <= 0) return;
    ended_[pid] = status;
  }
}

std::optional<int> ChildProcesses::endedWith(pid_t pid) {
  reap();
  const auto it = ended_.find(pid);
  if (it == ended_.end()) return std::nullopt;
  return it->second;
}

std::optional<int> ChildProcesses::waitForEnd(pid_t pid, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (const auto status = endedWith(pid)) return status;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

std::vector<std::string> headlessEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> result;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string text = *variable;
    const std::string name = text.substr(0, text.find('='));
    if (name == "DISPLAY" || name == "WAYLAND_DISPLAY") continue;
    bool replaced = false;
    for (const auto& added : extra) replaced |= added.substr(0, added.find('=')) == name;
    if (!replaced) result.push_back(text);
  }
  result.insert(result.end(), extra.begin(), extra.end());
  return result;
}

std::string describeWaitStatus(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "wait status " + std::to_string(status);
}

bool exitedWith(std::optional<int> status, int code) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

}  // namespace installwarden::e2e
