#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

/// Support for the tests of both programs: built programs run as separate processes, and
/// temporary folders (temp_directory.h).
namespace test_support {

struct ProcessOutcome {
  std::optional<int> exitStatus;  ///< nothing when it did not exit by itself or was killed
  bool timedOut = false;
  std::string standardOutput;
  std::string standardError;  ///< why it could not start, when it could not
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

  pid_t pid() const { return pid_; }
  /// Its exit status once it has ended within `timeout`; nothing when it did not end by itself
  /// or in time (it is then killed).
  std::optional<int> waitForExit(std::chrono::milliseconds timeout);

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
};

}  // namespace test_support
