#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace pagereader::e2e {

/// What a finished program left behind.
struct ProgramRun {
  int exitStatus = -1;  ///< -1 when it was killed or did not exit normally
  bool timedOut = false;
  std::string standardOutput;
  std::string standardError;
};

/// Runs `argv` (argv[0] is the program) with standard input on /dev/null, collecting both output
/// streams; kills it once it outlives `timeout`.
ProgramRun runProgram(const std::vector<std::string>& argv,
                      std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace pagereader::e2e
