#include <filesystem>
#include <system_error>

#include "host/probe_answer.h"
#include "installwarden/host/assistant_program.h"
#include "os/subprocess.h"
#include "update_state/update_request.h"

namespace installwarden::host {

namespace {

// The probe prints one short line; anything longer is not its answer.
constexpr std::size_t kMaxProbeOutput = 64 * 1024;

std::string firstLine(const std::string& text) {
  const std::string line = text.substr(0, text.find('\n'));
  return line.size() > 200 ? line.substr(0, 200) + "…" : line;
}

}  // namespace

common::Result<ProbeAnswer> probe(const std::string& program, const std::string& root,
                                  const std::string& appPath, const std::string& version,
                                  std::chrono::milliseconds deadline) {
  os::Command command;
  command.argv = {program, "--probe", root, appPath, version};
  command.input = os::Stream::kNull;
  command.output = os::Stream::kCapture;
  command.errors = os::Stream::kNull;
  const auto ran = os::run(command, deadline, kMaxProbeOutput);
  const std::string what = program + " --probe";
  if (!ran) return common::Failure{"cannot start " + what + ": " + ran.reason()};
  if (ran->killed) {
    return common::Failure{what + " gave no answer within " + std::to_string(deadline.count()) +
                           " ms"};
  }
  if (!ran->exitStatus) return common::Failure{what + " was ended by a signal"};
  if (*ran->exitStatus != 0) {
    return common::Failure{what + " ended with status " + std::to_string(*ran->exitStatus)};
  }
  const auto answer = parseProbeAnswer(ran->output);
  if (!answer) return common::Failure{what + " printed no answer: " + firstLine(ran->output)};
  return *answer;
}

common::Result<pid_t> startAssistant(const std::string& program, const std::string& root) {
  std::error_code error;
  const std::string absoluteRoot = std::filesystem::absolute(root, error).string();
  if (error) return common::Failure{"cannot make " + root + " absolute: " + error.message()};
  if (!installwarden::validatedRequest(absoluteRoot)) {
    return common::Failure{"no valid request.json in " + absoluteRoot +
                           ": the assistant would end at once"};
  }
  os::Command command;
  command.argv = {program, absoluteRoot};
  command.input = os::Stream::kNull;
  command.output = os::Stream::kNull;
  command.errors = os::Stream::kNull;
  auto started = os::spawnOrphan(command);
  if (!started) return common::Failure{"cannot start " + program + ": " + started.reason()};
  return *started;
}

}  // namespace installwarden::host
