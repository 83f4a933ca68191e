#include "shell/qt_platform.h"

#include <gtest/gtest.h>

namespace installwarden {
namespace {

TEST(QtPlatformTest, HeadlessWithoutADisplayOtherwiseHeadlessAsLastResort) {
  struct Case {
    std::string display;
    std::string wayland;
    std::string requested;
    std::string list;
  };
  const Case cases[] = {
      {"", "", "", "offscreen"},
      // No display: always headless, so the assistant runs the same on any machine.
      {"", "", "xcb", "offscreen"},
      {":0", "", "", "xcb;offscreen"},
      {"", "wayland-0", "", "wayland;xcb;offscreen"},
      {":0", "wayland-0", "", "wayland;xcb;offscreen"},
      {":0", "", "vnc", "vnc;offscreen"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(qtPlatformList(c.display, c.wayland, c.requested), c.list)
        << "DISPLAY=" << c.display << " WAYLAND_DISPLAY=" << c.wayland
        << " QT_QPA_PLATFORM=" << c.requested;
  }
}

}  // namespace
}  // namespace installwarden
