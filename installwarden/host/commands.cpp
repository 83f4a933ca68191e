#include "installwarden/host/commands.h"

#include <chrono>

#include "host/fresh_values.h"
#include "host/internal_phase.h"
#include "json/json_writer.h"
#include "os/files.h"
#include "update_state/exchange_file.h"
#include "update_state/exchange_records.h"
#include "update_state/update_request.h"

namespace installwarden::host {

namespace {

std::int64_t microsecondsSinceEpoch() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

/// What the assistant acts on when the host asks for it.
bool isHostCommand(Phase phase) {
  switch (phase) {
    case Phase::kCancelled:
    case Phase::kReady:
    case Phase::kPreparing:
    case Phase::kClosing:
    case Phase::kInstalling:
      return true;
    case Phase::kStarting:
    case Phase::kFailed:
    case Phase::kComplete:
      return false;
  }
  return false;
}

/// Exchange files are read by processes on this machine only: no flush to disk is needed.
common::Result<void> replaceExchangeFile(const std::string& root, const char* name,
                                         const std::string& bytes) {
  const std::string path = os::joinPath(root, name);
  if (auto replaced = os::replaceAtomically(path, bytes, {.flushToDisk = false}); !replaced) {
    return common::Failure{"cannot write " + path + ": " + replaced.reason()};
  }
  return common::done();
}

}  // namespace

common::Result<std::int64_t> sendCommand(const std::string& root, const std::string& id,
                                         Phase phase) {
  if (!installwarden::isUuid(id)) return common::Failure{"\"" + id + "\" is no update id"};
  if (!isHostCommand(phase)) {
    return common::Failure{"the assistant takes no \"" + std::string(phaseName(phase)) +
                           "\" command from the host"};
  }
  std::optional<std::int64_t> last;
  if (const auto previous = installwarden::readCommand(root)) last = previous->sequence;
  const std::int64_t sequence = nextSequence(last, microsecondsSinceEpoch());

  json::JsonWriter writer;
  writer.beginObject()
      .key("id")
      .value(id)
      .key("phase")
      .value(phaseName(phase))
      .key("sequence")
      .value(sequence)
      .endObject();
  if (auto written = replaceExchangeFile(root, "command.json", writer.finish().value_or(""));
      !written) {
    return common::Failure{written.reason()};
  }
  return sequence;
}

common::Result<void> askForWindow(const std::string& root) {
  const auto current = installwarden::readExchangeFile(root, "show.json");
  return replaceExchangeFile(root, "show.json", nextShowBytes(current, microsecondsSinceEpoch()));
}

}  // namespace installwarden::host
