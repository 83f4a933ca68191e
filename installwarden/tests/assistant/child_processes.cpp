#include "child_processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace installwarden::e2e {

namespace {

/// Pids whose parent is this process, read from /proc.
std::vector<pid_t> ownChildren() {
  std::vector<pid_t> children;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return children;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(proc)) {
    const std::string name = entry->d_name;
    if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in("/proc/" + name + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) continue;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string state;
    pid_t parent = 0;
    if (fields >> state >> parent && parent == self) {
      children.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  ::closedir(proc);
  return children;
}

}  // namespace

ChildProcesses::ChildProcesses() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

ChildProcesses::~ChildProcesses() { killAll(); }

void ChildProcesses::killAll() {
  // Killing a process hands its own children to us, so repeat until nobody is left.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (auto children = ownChildren();
       !children.empty() && std::chrono::steady_clock::now() < deadline; children = ownChildren()) {
    for (const pid_t child : children) ::kill(child, SIGKILL);
    for (const pid_t child : children) ::waitpid(child, nullptr, 0);
  }
}

pid_t ChildProcesses::start(const std::vector<std::string>& argv,
                            const std::vector<std::string>& environment,
                            const std::string& outputPath) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

  std::vector<char*> args;
  for (const auto& argument : argv) args.push_back(const_cast<char*>(argument.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const auto& variable : environment) env.push_back(const_cast<char*>(variable.c_str()));
  env.push_back(nullptr);

  pid_t pid = -1;
  const int error = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
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
