#include "installer_runs.h"

#include <cmath>
#include <sstream>
#include <vector>

#include "standin_files.h"

namespace installwarden::standins {

namespace {

std::optional<InstallerAction> parseAction(const std::string& word) {
  if (word == "install") return InstallerAction::kInstall;
  if (word == "still-running") return InstallerAction::kStillRunning;
  if (word == "abort") return InstallerAction::kAbort;
  return std::nullopt;
}

std::optional<double> parseSeconds(const std::string& word) {
  std::size_t used = 0;
  double seconds = 0;
  try {
    seconds = std::stod(word, &used);
  } catch (...) {
    return std::nullopt;
  }
  if (used != word.size() || !std::isfinite(seconds) || seconds < 0) return std::nullopt;
  return seconds;
}

}  // namespace

std::optional<InstallerRun> parseRun(std::string_view line) {
  std::istringstream words{std::string(line)};
  std::string actionWord, holdWord, extra;
  if (!(words >> actionWord)) return std::nullopt;
  const auto action = parseAction(actionWord);
  if (!action) return std::nullopt;
  InstallerRun run{*action, 0};
  if (words >> holdWord) {
    const auto seconds = parseSeconds(holdWord);
    if (!seconds) return std::nullopt;
    run.holdSeconds = *seconds;
  }
  if (words >> extra) return std::nullopt;
  return run;
}

std::optional<InstallerRun> nextRun(const std::string& scenarioPath) {
  const auto text = readFile(scenarioPath);
  if (!text) return std::nullopt;
  std::vector<InstallerRun> runs;
  std::istringstream in(*text);
  for (std::string line; std::getline(in, line);) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    const auto run = parseRun(line);
    if (!run) return std::nullopt;
    runs.push_back(*run);
  }
  if (runs.empty()) return std::nullopt;

  const std::string countPath = scenarioPath + ".count";
  std::size_t started = 0;
  if (const auto count = readFile(countPath)) {
    try {
      started = std::stoul(*count);
    } catch (...) {
      return std::nullopt;
    }
  }
  if (!replaceFile(countPath, std::to_string(started + 1) + "\n")) return std::nullopt;
  return runs[std::min(started, runs.size() - 1)];
}

}  // namespace installwarden::standins
