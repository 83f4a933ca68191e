#include "update_state/probe.h"

#include "json/json_writer.h"
#include "update_state/exchange_records.h"
#include "update_state/installer_job.h"
#include "update_state/phase.h"
#include "update_state/update_request.h"

namespace installwarden {

ProbeAnswer probe(const std::string& root, const std::string& appPath, const std::string& version,
                  Launchctl& launchctl, ProcessTable& processes, uid_t uid) {
  const auto request = validatedRequest(root);
  if (!request || request->appPath != appPath) return {};

  // A status or command of another request is as good as none.
  auto status = readStatus(root);
  if (status && status->id != request->id) status.reset();
  auto command = readCommand(root);
  if (command && command->id != request->id) command.reset();

  const bool assistantAlive = status && isSameProcess(processes, status->pid, status->birth);
  const auto job = installerJob(*request, launchctl, processes, uid);
  const bool jobRunning = job && job->running;
  const auto statusPhase = status ? parsePhase(status->phase) : std::nullopt;
  const bool finished = statusPhase && isFinal(*statusPhase);
  const bool cancelled = command && parsePhase(command->phase) == Phase::kCancelled;

  ProbeAnswer answer;
  answer.active = jobRunning || (assistantAlive && !finished && !cancelled);
  answer.block = answer.active && request->sourceVersion == version;
  answer.resume = jobRunning && !assistantAlive;
  answer.occupied = assistantAlive;
  return answer;
}

std::string encodeProbeAnswer(const ProbeAnswer& answer) {
  json::JsonWriter writer;
  writer.beginObject()
      .key("active")
      .value(answer.active)
      .key("block")
      .value(answer.block)
      .key("resume")
      .value(answer.resume)
      .key("occupied")
      .value(answer.occupied)
      .endObject();
  return writer.finish().value_or(std::string());
}

}  // namespace installwarden
