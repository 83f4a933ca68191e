#include "os/subprocess.h"
#include "update_state/launchctl.h"
#include "utf8/utf8.h"

namespace installwarden {

namespace {

/// More than any job description; a tool printing beyond this is not launchctl.
constexpr std::size_t kMaxOutputBytes = 16 * 1024 * 1024;

}  // namespace

LaunchctlRunner::LaunchctlRunner(std::string toolPath, std::chrono::milliseconds timeout)
    : toolPath_(std::move(toolPath)), timeout_(timeout) {}

LaunchctlResult LaunchctlRunner::run(const std::vector<std::string>& arguments) {
  os::Command command;
  command.argv.push_back(toolPath_);
  command.argv.insert(command.argv.end(), arguments.begin(), arguments.end());
  command.output = os::Stream::kCapture;
  command.errors = os::Stream::kNull;
  auto ran = os::run(command, timeout_, kMaxOutputBytes);
  if (!ran || !ran->exitStatus) return {};
  LaunchctlResult result;
  result.exitStatus = *ran->exitStatus;
  if (utf8::isValid(ran->output)) result.output = std::move(ran->output);
  return result;
}

}  // namespace installwarden
