#include "installwarden/host/assistant_status.h"

#include "host/internal_phase.h"
#include "os/files.h"
#include "update_state/exchange_file.h"
#include "update_state/exchange_records.h"
#include "update_state/process_table.h"

namespace installwarden::host {

common::Result<AssistantStatus> readStatus(const std::string& root, const std::string& id) {
  const std::string path = os::joinPath(root, "status.json");
  const auto bytes = installwarden::readExchangeFile(root, "status.json");
  if (!bytes) return common::Failure{"no readable " + path + " yet"};
  const auto status = installwarden::parseStatus(*bytes);
  if (!status) return common::Failure{path + " is not a valid status"};
  if (status->id != id) {
    return common::Failure{path + " is about another update, " + status->id};
  }
  const auto phase = installwarden::parsePhase(status->phase);
  if (!phase) return common::Failure{path + " names no phase: \"" + status->phase + "\""};

  // The assistant's own rule: the pid alone may since belong to another process.
  installwarden::SystemProcessTable processes;
  AssistantStatus read;
  read.phase = fromAssistantPhase(*phase);
  read.visible = status->visible;
  read.retries = status->retries;
  read.logPosition = status->logPosition;
  read.reopenDetected = status->reopenDetected;
  read.pid = status->pid;
  read.birth = status->birth;
  read.ownerBirth = status->ownerBirth;
  read.alive = installwarden::isSameProcess(processes, status->pid, status->birth);
  return read;
}

}  // namespace installwarden::host
