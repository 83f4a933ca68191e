#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace installwarden::standins {

/// What one run of the installer stand-in does once its hold time is over.
enum class InstallerAction {
  kInstall,       ///< writes the new version into the bundle's Info.plist, exits 0
  kStillRunning,  ///< logs "App Still Running Error", exits 1 without installing
  kAbort,         ///< logs a failure without the marker, exits 1 without installing
};

/// One line of a scenario: "<install|still-running|abort> [<seconds to hold>]".
struct InstallerRun {
  InstallerAction action = InstallerAction::kInstall;
  double holdSeconds = 0;
};

/// Nothing for an unknown action, a bad or negative hold time, or extra words.
std::optional<InstallerRun> parseRun(std::string_view line);

/// The run for this start of the job: line n of the scenario file for the n-th start (counted
/// in "<file>.count"), the last line once the lines are used up. Nothing when the file has no
/// valid line or the count cannot be kept.
std::optional<InstallerRun> nextRun(const std::string& scenarioPath);

}  // namespace installwarden::standins
