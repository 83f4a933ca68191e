#include "shell/qt_platform.h"

namespace installwarden {

std::string qtPlatformList(std::string_view display, std::string_view waylandDisplay,
                           std::string_view requestedPlatform) {
  constexpr std::string_view kHeadless = "offscreen";
  if (display.empty() && waylandDisplay.empty()) return std::string(kHeadless);
  std::string list;
  if (!requestedPlatform.empty()) {
    list = requestedPlatform;
  } else {
    list = waylandDisplay.empty() ? "xcb" : "wayland;xcb";
  }
  return list + ";" + std::string(kHeadless);
}

}  // namespace installwarden
