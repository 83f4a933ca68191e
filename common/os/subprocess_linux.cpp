#include "os/subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "os/file_descriptor.h"

extern char** environ;

namespace os {

namespace {

using Clock = std::chrono::steady_clock;

common::Failure systemError(int error) { return common::Failure{std::strerror(error)}; }

int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

/// posix_spawn attributes: default dispositions for every signal and an empty mask, so a
/// child never inherits what this process ignores or blocks for itself.
class SpawnAttributes {
 public:
  explicit SpawnAttributes(bool newSession) {
    posix_spawnattr_init(&attributes_);
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setsigmask(&attributes_, &none);
    short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    if (newSession) flags |= POSIX_SPAWN_SETSID;
    posix_spawnattr_setflags(&attributes_, flags);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

struct Pipe {
  FileDescriptor readEnd;
  FileDescriptor writeEnd;
};

std::optional<Pipe> makePipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
  return Pipe{FileDescriptor(fds[0]), FileDescriptor(fds[1])};
}

/// Points `target` (1 or 2) where `stream` says; `pipeEnd` is the write end for kCapture.
bool addOutput(FileActions& actions, int target, Stream stream, const Command& command,
               int pipeEnd) {
  switch (stream) {
    case Stream::kInherit:
      return true;
    case Stream::kNull:
      return posix_spawn_file_actions_addopen(actions.get(), target, "/dev/null", O_WRONLY, 0) == 0;
    case Stream::kCapture:
      return pipeEnd >= 0 && posix_spawn_file_actions_adddup2(actions.get(), pipeEnd, target) == 0;
    case Stream::kFile:
      // Output and errors in one file share one open file, as a shell's 2>&1 does.
      if (target == STDERR_FILENO && command.output == Stream::kFile) {
        return posix_spawn_file_actions_adddup2(actions.get(), STDOUT_FILENO, STDERR_FILENO) == 0;
      }
      return posix_spawn_file_actions_addopen(actions.get(), target, command.file.c_str(),
                                              O_WRONLY | O_CREAT | O_APPEND, 0644) == 0;
  }
  return false;
}

common::Result<pid_t> start(const Command& command, bool detached, int outputPipe = -1,
                            int errorsPipe = -1) {
  if (command.argv.empty()) return common::Failure{"no program to start"};
  FileActions actions;
  bool arranged = true;
  if (command.input == Stream::kNull) {
    arranged = posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY,
                                                0) == 0;
  } else if (command.input != Stream::kInherit) {
    return common::Failure{"standard input can only be inherited or /dev/null"};
  }
  arranged = arranged && addOutput(actions, STDOUT_FILENO, command.output, command, outputPipe) &&
             addOutput(actions, STDERR_FILENO, command.errors, command, errorsPipe);
  if (detached) {
    arranged =
        arranged && posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1) == 0;
  }
  if (!arranged) return common::Failure{"cannot arrange the child's standard streams"};

  std::vector<char*> argv;
  for (const auto& argument : command.argv) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> environment;
  if (command.environment) {
    for (const auto& entry : *command.environment) {
      environment.push_back(const_cast<char*>(entry.c_str()));
    }
    environment.push_back(nullptr);
  }

  const SpawnAttributes attributes(detached);
  pid_t pid = -1;
  // glibc reports a failed exec as the result, so a missing program fails here.
  const int error = ::posix_spawnp(&pid, argv[0], actions.get(), attributes.get(), argv.data(),
                                   command.environment ? environment.data() : environ);
  if (error != 0) return systemError(error);
  return pid;
}

enum class WaitEnd { kEnded, kRunning, kGone };

/// Waits for the child until `deadline`; reaps it when it ends.
WaitEnd waitUntil(pid_t pid, Clock::time_point deadline, int& waitStatus) {
  // A pidfd wakes the wait the moment the child ends; without one (kernels before 5.3),
  // check again after short, growing pauses.
  const FileDescriptor exited(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
  auto pause = std::chrono::microseconds(50);
  for (;;) {
    const pid_t done = ::waitpid(pid, &waitStatus, WNOHANG);
    if (done == pid) return WaitEnd::kEnded;
    if (done < 0 && errno != EINTR) return WaitEnd::kGone;
    if (Clock::now() >= deadline) return WaitEnd::kRunning;
    if (exited.valid()) {
      pollfd waitFor{exited.get(), POLLIN, 0};
      ::poll(&waitFor, 1, millisecondsUntil(deadline) + 1);
    } else {
      ::usleep(static_cast<useconds_t>(pause.count()));
      pause = std::min(pause * 2, std::chrono::microseconds(2'000));
    }
  }
}

enum class ReadEnd { kEndOfFile, kTimedOut, kTooLarge, kError };

/// Reads every captured stream until each reaches end of file, `deadline` passes, one carries
/// more than `maxBytes`, or a read fails.
ReadEnd readAll(std::vector<std::pair<int, std::string*>> streams, Clock::time_point deadline,
                std::size_t maxBytes) {
  char buffer[16384];
  while (!streams.empty()) {
    if (Clock::now() >= deadline) return ReadEnd::kTimedOut;
    std::vector<pollfd> waitFor;
    for (const auto& [fd, sink] : streams) waitFor.push_back({fd, POLLIN, 0});
    const int ready = ::poll(waitFor.data(), waitFor.size(), millisecondsUntil(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return ReadEnd::kError;
    }
    for (std::size_t i = waitFor.size(); i-- > 0;) {
      if (waitFor[i].revents == 0) continue;
      const ssize_t count = ::read(streams[i].first, buffer, sizeof buffer);
      if (count < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        return ReadEnd::kError;
      }
      if (count == 0) {
        streams.erase(streams.begin() + static_cast<std::ptrdiff_t>(i));
        continue;
      }
      std::string& sink = *streams[i].second;
      if (sink.size() + static_cast<std::size_t>(count) > maxBytes) return ReadEnd::kTooLarge;
      sink.append(buffer, static_cast<std::size_t>(count));
    }
  }
  return ReadEnd::kEndOfFile;
}

}  // namespace

common::Result<Ended> run(const Command& command, std::chrono::milliseconds timeout,
                          std::size_t maxCapturedBytes) {
  const auto deadline = Clock::now() + timeout;
  std::optional<Pipe> output;
  std::optional<Pipe> errors;
  if (command.output == Stream::kCapture && !(output = makePipe())) return systemError(errno);
  if (command.errors == Stream::kCapture && !(errors = makePipe())) return systemError(errno);

  const auto child = start(command, false, output ? output->writeEnd.get() : -1,
                           errors ? errors->writeEnd.get() : -1);
  // Only the child holds the write ends now, so the reads see end of file when it is done.
  if (output) output->writeEnd = FileDescriptor();
  if (errors) errors->writeEnd = FileDescriptor();
  if (!child) return common::Failure{child.reason()};

  Ended ended;
  std::vector<std::pair<int, std::string*>> streams;
  if (output) streams.emplace_back(output->readEnd.get(), &ended.output);
  if (errors) streams.emplace_back(errors->readEnd.get(), &ended.errors);
  if (readAll(streams, deadline, maxCapturedBytes) != ReadEnd::kEndOfFile) {
    killAndReap(*child);
    ended.killed = true;
    return ended;
  }
  // A child that closed its output but keeps running is killed like one that never closed it.
  int waitStatus = 0;
  switch (waitUntil(*child, deadline, waitStatus)) {
    case WaitEnd::kEnded:
      ended.exitStatus = exitStatusOf(waitStatus);
      break;
    case WaitEnd::kRunning:
      killAndReap(*child);
      ended.killed = true;
      break;
    case WaitEnd::kGone:
      break;
  }
  return ended;
}

common::Result<pid_t> spawn(const Command& command) {
  if (command.output == Stream::kCapture || command.errors == Stream::kCapture) {
    return common::Failure{"only a run to the end captures output"};
  }
  return start(command, false);
}

common::Result<pid_t> spawnDetached(const Command& command) {
  if (command.output == Stream::kCapture || command.errors == Stream::kCapture) {
    return common::Failure{"only a run to the end captures output"};
  }
  return start(command, true);
}

std::optional<int> waitForEnd(pid_t pid, std::chrono::milliseconds timeout) {
  int waitStatus = 0;
  if (waitUntil(pid, Clock::now() + timeout, waitStatus) != WaitEnd::kEnded) return std::nullopt;
  return waitStatus;
}

void killAndReap(pid_t pid) {
  ::kill(pid, SIGKILL);
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

std::optional<int> exitStatusOf(int waitStatus) {
  if (!WIFEXITED(waitStatus)) return std::nullopt;
  return WEXITSTATUS(waitStatus);
}

}  // namespace os
