#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "os/file_descriptor.h"
#include "os/subprocess.h"

extern char** environ;

namespace os {

namespace {

/// What the two forked processes tell the starter through the report pipe. Each message is one
/// write far below PIPE_BUF, so messages from both never interleave.
struct Report {
  enum Kind : int { kStarted, kFailed } kind;
  int value;  ///< the pid for kStarted, errno for kFailed
};

/// Everything the forked processes need, made before the fork: after it, a process of a
/// multi-threaded starter may only make async-signal-safe calls, so nothing is allocated there.
struct Launch {
  std::string program;
  std::vector<char*> argv;
  std::vector<char*> environment;
  const Command* command = nullptr;
  int report = -1;
};

/// `name` as execve needs it: a path as given, a bare name looked up in PATH (of the child's
/// environment when one is given), the way a shell does.
std::optional<std::string> programPath(const Command& command) {
  const std::string& name = command.argv.front();
  if (name.find('/') != std::string::npos) return name;
  std::string path = "/usr/local/bin:/usr/bin:/bin";
  if (command.environment) {
    for (const auto& entry : *command.environment) {
      if (entry.rfind("PATH=", 0) == 0) path = entry.substr(5);
    }
  } else if (const char* own = ::getenv("PATH")) {
    path = own;
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find(':', start);
    // An empty entry is the current folder.
    std::string candidate = end == start ? std::string(".") : path.substr(start, end - start);
    candidate += '/';
    candidate += name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) return std::nullopt;
    start = end + 1;
  }
}

void send(int report, Report::Kind kind, int value) {
  const Report message{kind, value};
  [[maybe_unused]] const ssize_t written = ::write(report, &message, sizeof message);
}

[[noreturn]] void failAndExit(int report, int error) {
  send(report, Report::kFailed, error);
  ::_exit(127);
}

/// Opens `path` as `target`; async-signal-safe.
bool openAs(int target, const char* path, int flags) {
  // Non-blocking, so a FIFO without a reader fails instead of hanging the start.
  const int fd = ::open(path, flags | O_NONBLOCK, 0644);
  if (fd < 0) return false;
  if (::fcntl(fd, F_SETFL, flags & O_APPEND) != 0) return false;
  if (fd == target) return true;
  const bool moved = ::dup2(fd, target) == target;
  ::close(fd);
  return moved;
}

bool arrangeStream(int target, Stream stream, const Command& command) {
  switch (stream) {
    case Stream::kInherit:
      return true;
    case Stream::kNull:
      return openAs(target, "/dev/null", target == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    case Stream::kFile:
      if (target == STDERR_FILENO && command.output == Stream::kFile) {
        return ::dup2(STDOUT_FILENO, STDERR_FILENO) == STDERR_FILENO;
      }
      return openAs(target, command.file.c_str(), O_WRONLY | O_CREAT | O_APPEND);
    case Stream::kCapture:
      return false;
  }
  return false;
}

/// The started process, between the second fork and execve. Async-signal-safe calls only.
[[noreturn]] void becomeProgram(const Launch& launch) {
  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &byDefault, nullptr);

  const Command& command = *launch.command;
  if (!arrangeStream(STDIN_FILENO, command.input, command) ||
      !arrangeStream(STDOUT_FILENO, command.output, command) ||
      !arrangeStream(STDERR_FILENO, command.errors, command)) {
    failAndExit(launch.report, errno != 0 ? errno : EINVAL);
  }
  // Nothing of the starter's but the report pipe, which closes itself at execve.
  if (launch.report > STDERR_FILENO + 1) ::close_range(STDERR_FILENO + 1, launch.report - 1, 0);
  ::close_range(launch.report + 1, ~0U, 0);

  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(launch.program.c_str(), launch.argv.data(), launch.environment.data());
  failAndExit(launch.report, errno);
}

/// The intermediate: a new session, the program forked off in it, its pid reported, gone.
[[noreturn]] void startInNewSession(const Launch& launch) {
  if (::setsid() < 0) failAndExit(launch.report, errno);
  const pid_t program = ::fork();
  if (program == 0) becomeProgram(launch);
  if (program < 0) failAndExit(launch.report, errno);
  send(launch.report, Report::kStarted, program);
  ::_exit(0);
}

}  // namespace

common::Result<pid_t> spawnOrphan(const Command& command) {
  if (command.argv.empty()) return common::Failure{"no program to start"};
  if (command.output == Stream::kCapture || command.errors == Stream::kCapture) {
    return common::Failure{"only a run to the end captures output"};
  }
  if (command.input != Stream::kInherit && command.input != Stream::kNull) {
    return common::Failure{"standard input can only be inherited or /dev/null"};
  }
  const auto program = programPath(command);
  if (!program) return common::Failure{command.argv.front() + ": not found in PATH"};

  Launch launch;
  launch.program = *program;
  launch.command = &command;
  for (const auto& argument : command.argv) {
    launch.argv.push_back(const_cast<char*>(argument.c_str()));
  }
  launch.argv.push_back(nullptr);
  if (command.environment) {
    for (const auto& entry : *command.environment) {
      launch.environment.push_back(const_cast<char*>(entry.c_str()));
    }
    launch.environment.push_back(nullptr);
  } else {
    for (char** entry = environ; *entry != nullptr; ++entry) launch.environment.push_back(*entry);
    launch.environment.push_back(nullptr);
  }

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return common::Failure{std::strerror(errno)};
  FileDescriptor readEnd(ends[0]);
  // Above the standard three, so that arranging them in the child never replaces it.
  FileDescriptor writeEnd(::fcntl(ends[1], F_DUPFD_CLOEXEC, STDERR_FILENO + 1));
  ::close(ends[1]);
  if (!writeEnd.valid()) return common::Failure{std::strerror(errno)};
  launch.report = writeEnd.get();

  // No handler of this process may run in the forked ones before their dispositions are reset.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &previous);
  const pid_t intermediate = ::fork();
  if (intermediate == 0) startInNewSession(launch);
  const int forkError = errno;
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  writeEnd = FileDescriptor();
  if (intermediate < 0) return common::Failure{std::strerror(forkError)};

  // End of file once the intermediate has gone and the program has reached execve (or failed).
  pid_t started = -1;
  int error = 0;
  Report message{};
  for (;;) {
    const ssize_t count = ::read(readEnd.get(), &message, sizeof message);
    if (count < 0 && errno == EINTR) continue;
    if (count != static_cast<ssize_t>(sizeof message)) break;
    if (message.kind == Report::kStarted) started = message.value;
    if (message.kind == Report::kFailed) error = message.value;
  }
  // Reaped at once; with SIGCHLD ignored by the starter the system has done it already.
  while (::waitpid(intermediate, nullptr, 0) < 0 && errno == EINTR) {
  }
  if (error != 0) return common::Failure{std::strerror(error)};
  if (started < 0) return common::Failure{"the program's start was not reported"};
  return started;
}

}  // namespace os
