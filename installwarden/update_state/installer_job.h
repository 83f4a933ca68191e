#pragma once

#include <sys/types.h>
#include <optional>
#include <string>

#include "update_state/launchctl.h"
#include "update_state/process_table.h"
#include "update_state/update_request.h"

namespace installwarden {

/// The installer job as launchctl shows it.
struct InstallerJob {
  std::string target;    ///< "<domain>/<jobLabel>", passed unchanged to print and kickstart
  bool running = false;  ///< the description names a pid and that process exists now
};

/// Finds the request's job in "gui/<uid>" then "system"; a domain counts only when its
/// description names the bundle's Squirrel.framework after "program = " or "path = ".
/// Nothing when neither domain has it.
std::optional<InstallerJob> installerJob(const UpdateRequest& request, Launchctl& launchctl,
                                         ProcessTable& processes, uid_t uid);

/// The first `pid = N` line of a description, as a positive 32-bit id; nothing when there is
/// none, it does not fit, or its digits are not ASCII.
std::optional<std::int32_t> describedPid(const std::string& description);

}  // namespace installwarden
