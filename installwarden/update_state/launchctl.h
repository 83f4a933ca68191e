#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace installwarden {

/// One run of the launchd control tool: its exit status (nothing when it could not be started,
/// was killed, or did not exit in time) and its standard output (empty when not UTF-8).
struct LaunchctlResult {
  std::optional<std::int32_t> exitStatus;
  std::string output;
};

class Launchctl {
 public:
  virtual ~Launchctl() = default;
  /// Runs the tool once with exactly `arguments`; blocks until it exits or the bound passes.
  virtual LaunchctlResult run(const std::vector<std::string>& arguments) = 0;
};

/// Runs the tool at `toolPath` as a child process (os/subprocess.h): stdout read to EOF, stderr
/// to /dev/null, stdin and environment inherited. A run that outlives `timeout` is killed and
/// fails.
class LaunchctlRunner final : public Launchctl {
 public:
  explicit LaunchctlRunner(std::string toolPath,
                           std::chrono::milliseconds timeout = std::chrono::seconds(30));
  LaunchctlResult run(const std::vector<std::string>& arguments) override;

 private:
  std::string toolPath_;
  std::chrono::milliseconds timeout_;
};

}  // namespace installwarden
