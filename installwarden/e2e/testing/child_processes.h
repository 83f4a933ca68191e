#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "result/result.h"

namespace installwarden::e2e {

/// The processes one test starts, and every orphan they leave: the test process becomes their
/// reaper, so detached jobs and applications end as its children instead of lingering as
/// zombies. Everything still running is killed and reaped on destruction.
class ChildProcesses {
 public:
  ChildProcesses();
  ~ChildProcesses();
  ChildProcesses(const ChildProcesses&) = delete;
  ChildProcesses& operator=(const ChildProcesses&) = delete;

  /// Starts `argv` with exactly `environment`, stdin on /dev/null and stdout and stderr
  /// appended to `outputPath`. Its pid.
  common::Result<pid_t> start(const std::vector<std::string>& argv,
                              const std::vector<std::string>& environment,
                              const std::string& outputPath);

  /// Reaps every child that has ended, remembering its wait status.
  void reap();
  /// The wait status of `pid` once it has ended and been reaped here; nothing while it runs.
  std::optional<int> endedWith(pid_t pid);
  /// Waits for `pid` to end, at most `timeout`; its wait status, or nothing on timeout.
  std::optional<int> waitForEnd(pid_t pid, std::chrono::milliseconds timeout);
  /// Kills and reaps every child, including orphans handed over while doing so.
  void killAll();

 private:
  std::map<pid_t, int> ended_;
};

/// This process's environment without the display variables (the assistant runs headless)
/// and with `extra` ("NAME=value") added.
std::vector<std::string> headlessEnvironment(const std::vector<std::string>& extra);

/// "exit 0", "exit 2", "signal 9": a wait status for failure messages.
std::string describeWaitStatus(int status);

/// Whether the wait status is a normal exit with `code`.
bool exitedWith(std::optional<int> status, int code);

}  // namespace installwarden::e2e
