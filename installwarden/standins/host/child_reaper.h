#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "result/result.h"

namespace installwarden::standins {

/// Starts `argv` in its own session with its standard streams on /dev/null and nothing else of
/// ours open, so it outlives its starter. Its pid.
common::Result<pid_t> startDetached(const std::vector<std::string>& argv);

/// Makes this process the reaper of its orphaned descendants (jobs and applications started
/// detached would otherwise stay zombies where the init process does not reap), runs `argv`
/// and returns its exit status once it ends, after ending and reaping every descendant left.
int runReapingOrphans(const std::vector<std::string>& argv);

}  // namespace installwarden::standins
