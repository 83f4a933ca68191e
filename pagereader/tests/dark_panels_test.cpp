#include "recognition/dark_panels.h"

#include <gtest/gtest.h>

namespace pagereader {
namespace {

// A region of `width` x `height` with the given shares of dark pixels inside and on its edges.
Region region(int width, int height, double darkShare, double edgeShare) {
  const auto area = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  const auto edge = static_cast<std::uint64_t>(4 * width + 4 * height - 16);
  return Region{width, height, static_cast<std::uint64_t>(darkShare * static_cast<double>(area)),
                edge, static_cast<std::uint64_t>(edgeShare * static_cast<double>(edge))};
}

TEST(IsDarkPanelTest, TellsButtonsFromClumpsOfText) {
  struct Case {
    const char* name;
    Region region;
    bool panel;
  };
  const Case cases[] = {
      {"highlighted button", region(96, 59, 0.88, 0.88), true},
      {"selected row", region(112, 25, 0.92, 0.95), true},
      {"small bold title", region(60, 14, 0.79, 0.75), false},
      {"dense line with solid edges", region(200, 30, 0.70, 0.90), false},
      {"solid inside, ragged outline", region(200, 30, 0.90, 0.60), false},
      {"too low for a line", region(200, 13, 0.95, 0.95), false},
      {"too narrow", region(15, 40, 0.95, 0.95), false},
      {"the whole picture", region(1000, 500, 0.95, 0.95), false},
      {"no edge measured", Region{100, 40, 4000, 0, 0}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(isDarkPanel(c.region, 1000, 500), c.panel) << c.name;
}

}  // namespace
}  // namespace pagereader
