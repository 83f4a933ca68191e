#pragma once

#include <string>
#include <string_view>

namespace installwarden {

/// The Qt platform list to start with, from the DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM
/// values (empty when unset). Without a display the headless "offscreen" platform; with one,
/// the usual choice followed by "offscreen", so an unreachable display still leaves a running
/// assistant (windowless) instead of an abort.
std::string qtPlatformList(std::string_view display, std::string_view waylandDisplay,
                           std::string_view requestedPlatform);

}  // namespace installwarden
