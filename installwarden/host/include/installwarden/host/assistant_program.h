#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

#include "installwarden/host/export.h"
#include "result/result.h"

namespace installwarden::host {

/// The probe's four answers for one root, application and version.
struct ProbeAnswer {
  bool active = false;    ///< the installer runs, or a live assistant handles an unfinished update
  bool block = false;     ///< active, and the update starts from the version asked about
  bool resume = false;    ///< the installer runs but no live assistant handles the update
  bool occupied = false;  ///< a live assistant handles the update
};

/// Long enough for the probe's own bounded launchctl runs (30 seconds each, at most two).
inline constexpr std::chrono::milliseconds kProbeDeadline{65'000};

/// Runs `<program> --probe <root> <appPath> <version>` and reads its answer. Fails, saying why,
/// when the program cannot be started, has not answered by `deadline` (it is then killed), ends
/// with another status than 0, or prints anything but the four answers.
INSTALLWARDEN_HOST_API common::Result<ProbeAnswer> probe(
    const std::string& program, const std::string& root, const std::string& appPath,
    const std::string& version, std::chrono::milliseconds deadline = kProbeDeadline);

/// Starts `<program> <root>` detached: in a session of its own, with its standard streams on
/// /dev/null, default signal dispositions, and never as a child of this process, so that it
/// outlives the host (which must quit for the installer to start) and leaves no zombie behind.
/// `root` is made absolute first. Refuses when `<root>/request.json` holds no valid request,
/// since the assistant would end at once. The assistant's pid; it reports through status.json
/// from then on (an assistant already running for the root keeps the root, and the new one
/// ends at once).
INSTALLWARDEN_HOST_API common::Result<pid_t> startAssistant(const std::string& program,
                                                            const std::string& root);

}  // namespace installwarden::host
