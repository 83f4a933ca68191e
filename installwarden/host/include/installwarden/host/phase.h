#pragma once

#include <optional>
#include <string_view>

#include "installwarden/host/export.h"

namespace installwarden::host {

/// Where an update stands, as status.json reports it. The assistant starts in kPreparing and
/// ends in kComplete or kCancelled; kFailed is final too, but the assistant stays (its window
/// on screen) until the user reopens the application or the host sends kCancelled.
enum class Phase {
  kPreparing,
  kReady,
  kClosing,
  kInstalling,
  kStarting,
  kFailed,
  kComplete,
  kCancelled,
};

/// The phase as the exchange files spell it ("installing").
INSTALLWARDEN_HOST_API std::string_view phaseName(Phase phase);

/// The phase `text` names, whole and case-sensitively; nothing for any other text.
INSTALLWARDEN_HOST_API std::optional<Phase> parsePhase(std::string_view text);

/// kFailed, kComplete and kCancelled.
INSTALLWARDEN_HOST_API bool isFinal(Phase phase);

}  // namespace installwarden::host
