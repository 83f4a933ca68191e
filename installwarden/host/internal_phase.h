#pragma once

#include "installwarden/host/phase.h"
#include "update_state/phase.h"

namespace installwarden::host {

/// The public phase and the assistant's own are one list in one order.
inline installwarden::Phase toAssistantPhase(Phase phase) {
  return static_cast<installwarden::Phase>(phase);
}
inline Phase fromAssistantPhase(installwarden::Phase phase) { return static_cast<Phase>(phase); }

#define INSTALLWARDEN_HOST_SAME_PHASE(name)                                                    \
  static_assert(static_cast<int>(Phase::name) == static_cast<int>(installwarden::Phase::name), \
                "the host's phases must match the assistant's one to one")
INSTALLWARDEN_HOST_SAME_PHASE(kPreparing);
INSTALLWARDEN_HOST_SAME_PHASE(kReady);
INSTALLWARDEN_HOST_SAME_PHASE(kClosing);
INSTALLWARDEN_HOST_SAME_PHASE(kInstalling);
INSTALLWARDEN_HOST_SAME_PHASE(kStarting);
INSTALLWARDEN_HOST_SAME_PHASE(kFailed);
INSTALLWARDEN_HOST_SAME_PHASE(kComplete);
INSTALLWARDEN_HOST_SAME_PHASE(kCancelled);
#undef INSTALLWARDEN_HOST_SAME_PHASE

}  // namespace installwarden::host
