#include "testing/run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace test_process {

namespace {

std::vector<char*> pointers(std::vector<std::string>& texts) {
  std::vector<char*> result;
  for (auto& text : texts) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (extra.count(text.substr(0, text.find('='))) == 0) result.push_back(text);
  }
  for (const auto& [name, value] : extra) result.push_back(name + "=" + value);
  return result;
}

}  // namespace

ProcessOutcome runProcess(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& environment,
                          std::chrono::milliseconds timeout) {
  ProcessOutcome outcome;
  int out[2];
  int err[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return outcome;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

  std::vector<char*> args;
  for (const auto& argument : argv) args.push_back(const_cast<char*>(argument.c_str()));
  args.push_back(nullptr);
  auto envText = mergedEnvironment(environment);
  std::vector<char*> env;
  for (auto& entry : envText) env.push_back(entry.data());
  env.push_back(nullptr);

  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  if (spawned != 0) {
    ::close(out[0]);
    ::close(err[0]);
    outcome.standardError = std::strerror(spawned);
    return outcome;
  }

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&outcome.standardOutput, &outcome.standardError};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      outcome.timedOut = true;
      break;
    }
    if (::poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t count = ::read(fds[i].fd, buffer, sizeof buffer);
      if (count > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(count));
      } else if (count == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (const auto& fd : fds) {
    if (fd.fd >= 0) ::close(fd.fd);
  }
  if (outcome.timedOut) ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!outcome.timedOut && WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
  return outcome;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& environment) {
  auto args = argv;
  auto envText = mergedEnvironment(environment);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", O_RDWR, 0);
  }
  pid_t child = -1;
  if (::posix_spawn(&child, args[0].c_str(), &actions, nullptr, pointers(args).data(),
                    pointers(envText).data()) != 0) {
    child = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  pid_ = child;
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

int BackgroundProcess::waitForExit(std::chrono::milliseconds timeout) {
  if (pid_ <= 0 || reaped_) return -1;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (::waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
      reaped_ = true;
      return -1;
    }
    ::usleep(10'000);
  }
  reaped_ = true;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace test_process
