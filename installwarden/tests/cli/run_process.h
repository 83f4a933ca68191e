#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace installwarden::e2e {

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

}  // namespace installwarden::e2e
