#include "testing/run_process.h"

#include "os/subprocess.h"

extern char** environ;

namespace test_support {

namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (extra.count(text.substr(0, text.find('='))) == 0) result.push_back(text);
  }
  for (const auto& [name, value] : extra) result.push_back(name + "=" + value);
  return result;
}

/// `argv` with this process's environment plus `extra`, standard input on /dev/null and both
/// output streams going to `output`.
os::Command commandFor(const std::vector<std::string>& argv,
                       const std::map<std::string, std::string>& extra, os::Stream output) {
  os::Command command;
  command.argv = argv;
  command.environment = mergedEnvironment(extra);
  command.input = os::Stream::kNull;
  command.output = output;
  command.errors = output;
  return command;
}

}  // namespace

ProcessOutcome runProcess(const std::vector<std::string>& argv,
                          const std::map<std::string, std::string>& environment,
                          std::chrono::milliseconds timeout) {
  auto ran = os::run(commandFor(argv, environment, os::Stream::kCapture), timeout);
  if (!ran) return {std::nullopt, false, "", ran.reason()};
  return {ran->exitStatus, ran->killed, std::move(ran->output), std::move(ran->errors)};
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv,
                                     const std::map<std::string, std::string>& environment) {
  if (const auto started = os::spawn(commandFor(argv, environment, os::Stream::kNull))) {
    pid_ = *started;
  }
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0 && !reaped_) os::killAndReap(pid_);
}

std::optional<int> BackgroundProcess::waitForExit(std::chrono::milliseconds timeout) {
  if (pid_ <= 0 || reaped_) return std::nullopt;
  reaped_ = true;
  const auto status = os::waitForEnd(pid_, timeout);
  if (!status) {
    os::killAndReap(pid_);
    return std::nullopt;
  }
  return os::exitStatusOf(*status);
}

}  // namespace test_support
