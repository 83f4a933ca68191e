#pragma once

#include <sys/types.h>
#include <string>

#include "update_state/launchctl.h"
#include "update_state/process_table.h"

namespace installwarden {

struct ProbeAnswer {
  bool active = false;
  bool block = false;
  bool resume = false;
  bool occupied = false;
};

/// Whether an update is under way in `root` for the bundle at `appPath`; reads only.
ProbeAnswer probe(const std::string& root, const std::string& appPath, const std::string& version,
                  Launchctl& launchctl, ProcessTable& processes, uid_t uid);

/// {"active":…,"block":…,"resume":…,"occupied":…} on one line, without the newline.
std::string encodeProbeAnswer(const ProbeAnswer& answer);

}  // namespace installwarden
