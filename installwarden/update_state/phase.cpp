#include "update_state/phase.h"

#include <array>
#include <utility>

namespace installwarden {

namespace {

constexpr std::array<std::pair<Phase, std::string_view>, 8> kNames = {{
    {Phase::kPreparing, "preparing"},
    {Phase::kReady, "ready"},
    {Phase::kClosing, "closing"},
    {Phase::kInstalling, "installing"},
    {Phase::kStarting, "starting"},
    {Phase::kFailed, "failed"},
    {Phase::kComplete, "complete"},
    {Phase::kCancelled, "cancelled"},
}};

}  // namespace

std::optional<Phase> parsePhase(std::string_view text) {
  for (const auto& [phase, name] : kNames) {
    if (name == text) return phase;
  }
  return std::nullopt;
}

std::string_view phaseName(Phase phase) {
  for (const auto& [known, name] : kNames) {
    if (known == phase) return name;
  }
  return {};  // every enumerator is in the table
}

bool isFinal(Phase phase) {
  return phase == Phase::kFailed || phase == Phase::kComplete || phase == Phase::kCancelled;
}

}  // namespace installwarden
