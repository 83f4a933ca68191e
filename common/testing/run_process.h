#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

/// Runs built programs as separate processes for the end-to-end tests of both programs.
namespace test_process {

struct ProcessOutcome {
  int exitStatus = -1;  ///< -1 when it did not exit normally or was killed at the bound
  bool timedOut = false;
  std::string standardOutput;
  std::string standardError;
};

/// Runs `argv` (argv[0] is the program path) with the current environment plus `environment`,
/// standard input on /dev/null; kills it when it outlives `timeout`.
ProcessOutcome runProcess(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& environment = {},
                          std::chrono::milliseconds timeout = std::chrono::seconds(20));

/// A program left running in the background, standard streams on /dev/null; killed when
/// dropped unless it has been waited for.
class BackgroundProcess {
 public:
  BackgroundProcess(const std::vector<std::string>& argv,
                    const std::map<std::string, std::string>& environment = {});
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;
  ~BackgroundProcess();

  int pid() const { return pid_; }
  /// Its exit status once it has ended within `timeout`; -1 when it did not end normally or
  /// in time (it is then killed).
  int waitForExit(std::chrono::milliseconds timeout);

 private:
  int pid_ = -1;
  bool reaped_ = false;
};

}  // namespace test_process
