#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "update_state/launchctl.h"
#include "utf8/utf8.h"

extern char** environ;

namespace installwarden {

namespace {

/// More than any job description; a tool printing beyond this is not launchctl.
constexpr std::size_t kMaxOutputBytes = 16 * 1024 * 1024;

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  ~Pipe() {
    closeRead();
    closeWrite();
  }
  bool ok() const { return fds_[0] >= 0; }
  int readEnd() const { return fds_[0]; }
  int writeEnd() const { return fds_[1]; }
  void closeRead() { closeOne(fds_[0]); }
  void closeWrite() { closeOne(fds_[1]); }

 private:
  static void closeOne(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int fds_[2] = {-1, -1};
};

enum class ReadEnd { kEndOfFile, kTimedOut, kTooLarge, kError };

/// Reads until end of file or until `deadline`, whichever comes first.
ReadEnd readUntil(int fd, std::chrono::steady_clock::time_point deadline, std::string& out) {
  char buffer[16384];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return ReadEnd::kTimedOut;
    pollfd waitFor{fd, POLLIN, 0};
    const int ready =
        ::poll(&waitFor, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return ReadEnd::kError;
    }
    if (ready == 0) continue;  // the deadline is checked at the top
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return ReadEnd::kError;
    }
    if (count == 0) return ReadEnd::kEndOfFile;
    if (out.size() + static_cast<std::size_t>(count) > kMaxOutputBytes) return ReadEnd::kTooLarge;
    out.append(buffer, static_cast<std::size_t>(count));
  }
}

/// Exit status of a normal exit; -1 for a signal death (no status of its own) or an error.
int exitStatus(int waitStatus) { return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1; }

void killAndReap(pid_t child) {
  ::kill(child, SIGKILL);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

/// Waits for the child until `deadline`; a tool that closed its output but keeps running is
/// killed like one that never closed it.
int waitUntil(pid_t child, std::chrono::steady_clock::time_point deadline) {
  // A pidfd wakes the wait the moment the child ends; without one (kernels before 5.3),
  // check again after short, growing pauses.
  const int exited = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
  auto pause = std::chrono::microseconds(50);
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(child, &status, WNOHANG);
    if (done == child || (done < 0 && errno != EINTR)) {
      if (exited >= 0) ::close(exited);
      return done == child ? exitStatus(status) : -1;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      if (exited >= 0) ::close(exited);
      killAndReap(child);
      return -1;
    }
    if (exited >= 0) {
      pollfd waitFor{exited, POLLIN, 0};
      ::poll(&waitFor, 1, static_cast<int>(std::min<long long>(left.count() + 1, 1 << 30)));
    } else {
      ::usleep(static_cast<useconds_t>(pause.count()));
      pause = std::min(pause * 2, std::chrono::microseconds(2'000));
    }
  }
}

}  // namespace

LaunchctlRunner::LaunchctlRunner(std::string toolPath, std::chrono::milliseconds timeout)
    : toolPath_(std::move(toolPath)), timeout_(timeout) {}

LaunchctlResult LaunchctlRunner::run(const std::vector<std::string>& arguments) {
  const auto deadline = std::chrono::steady_clock::now() + timeout_;
  Pipe output;
  if (!output.ok()) return {};

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return {};
  posix_spawn_file_actions_adddup2(&actions, output.writeEnd(), STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<char*> argv;
  argv.push_back(toolPath_.data());
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t child = 0;
  const int spawned =
      ::posix_spawn(&child, toolPath_.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {};
  output.closeWrite();  // so the read sees end of file once the tool is done

  std::string bytes;
  const ReadEnd end = readUntil(output.readEnd(), deadline, bytes);
  output.closeRead();
  if (end != ReadEnd::kEndOfFile) {
    killAndReap(child);
    return {};
  }
  LaunchctlResult result;
  result.status = waitUntil(child, deadline);
  if (result.status == -1) return {};
  if (utf8::isValid(bytes)) result.output = std::move(bytes);
  return result;
}

}  // namespace installwarden
