#pragma once

#include <cstdint>
#include <string>

#include "installwarden/host/export.h"
#include "installwarden/host/phase.h"
#include "result/result.h"

namespace installwarden::host {

/// Asks the assistant of update `id` for `phase` through `<root>/command.json`, written
/// atomically. kCancelled withdraws the update; kReady and kPreparing hide the window, kClosing
/// and kInstalling bring it forward; the assistant takes no other phase from the host, and such
/// a command is refused. Every command carries a sequence number that differs from every earlier
/// one in this root, also across restarts of the host, so the assistant acts on each exactly
/// once (at its next tick, within half a second). The sequence written.
INSTALLWARDEN_HOST_API common::Result<std::int64_t> sendCommand(const std::string& root,
                                                                const std::string& id, Phase phase);

/// Asks for the window to come forward at the assistant's next tick, by giving
/// `<root>/show.json` bytes it has not had the moment before.
INSTALLWARDEN_HOST_API common::Result<void> askForWindow(const std::string& root);

}  // namespace installwarden::host
