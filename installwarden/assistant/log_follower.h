#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace installwarden {

/// Most bytes of the installer log read in one call; a backlog is consumed over several ticks.
inline constexpr std::size_t kLogReadLimit = 1'048'576;

/// What the installer writes when the application it must replace is still running.
inline constexpr std::string_view kAppStillRunningMarker = "App Still Running Error";

/// Where the installer log has been consumed up to, and whether the bytes read held the marker.
struct LogReadResult {
  std::uint64_t position = 0;
  bool markerSeen = false;
};

/// Reads at most kLogReadLimit new bytes of the log at `logPath` from `position` and searches
/// only those bytes for the marker. The new position is past the bytes read, except that a
/// trailing start of the marker (when the marker itself was not seen) stays unconsumed for the
/// next call. A log shorter than `position` is read again from 0. The file is opened anew
/// (symlinks followed) and closed before returning; anything but a regular file is ignored, so
/// a FIFO or device never blocks. Missing or unreadable: `position` unchanged, no marker.
LogReadResult readInstallerLog(const std::string& logPath, std::uint64_t position);

}  // namespace installwarden
