#include "host/internal_phase.h"

namespace installwarden::host {

std::string_view phaseName(Phase phase) {
  return installwarden::phaseName(toAssistantPhase(phase));
}

std::optional<Phase> parsePhase(std::string_view text) {
  const auto phase = installwarden::parsePhase(text);
  if (!phase) return std::nullopt;
  return fromAssistantPhase(*phase);
}

bool isFinal(Phase phase) { return installwarden::isFinal(toAssistantPhase(phase)); }

}  // namespace installwarden::host
