#pragma once

#include <cstdint>
#include <string>

#include "installwarden/host/export.h"
#include "installwarden/host/phase.h"
#include "result/result.h"

namespace installwarden::host {

/// What `<root>/status.json` says about one update, as of the assistant's last tick (it rewrites
/// the file twice a second), and whether the assistant that wrote it still runs.
struct AssistantStatus {
  Phase phase = Phase::kPreparing;
  bool visible = false;      ///< the window is on screen
  std::int64_t retries = 0;  ///< installer restarts so far
  std::uint64_t logPosition = 0;
  bool reopenDetected = false;  ///< the installer found the application still running
  std::int32_t pid = 0;         ///< the assistant's process
  std::uint64_t birth = 0;      ///< its start time, microseconds since the epoch
  std::uint64_t ownerBirth = 0;
  /// A process with `pid` runs and has started at `birth`: the assistant itself, not a process
  /// that got its id after it ended. False once it has ended, whatever the phase.
  bool alive = false;
};

/// Reads `<root>/status.json` for update `id`. Fails, saying why, when there is no readable
/// status yet (the assistant writes its first within half a second of its start), when it is
/// malformed, or when it belongs to another update.
INSTALLWARDEN_HOST_API common::Result<AssistantStatus> readStatus(const std::string& root,
                                                                  const std::string& id);

}  // namespace installwarden::host
