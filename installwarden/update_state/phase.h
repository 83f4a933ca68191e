#pragma once

#include <optional>
#include <string_view>

namespace installwarden {

/// Where an update stands. The assistant starts in kPreparing; the last three are final: the
/// assistant may end in them, and an update in one of them is over.
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

/// The phase `text` names, compared whole and case-sensitively ("installing"); nothing for any
/// other text, which the exchange files may hold and which then names no phase at all.
std::optional<Phase> parsePhase(std::string_view text);

/// How status.json and command.json spell `phase`.
std::string_view phaseName(Phase phase);

/// kFailed, kComplete and kCancelled.
bool isFinal(Phase phase);

}  // namespace installwarden
