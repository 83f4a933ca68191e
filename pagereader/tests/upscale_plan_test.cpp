#include "recognition/upscale_plan.h"

#include <gtest/gtest.h>

#include <cmath>

namespace pagereader {
namespace {

TEST(UpscaleFactorTest, BringsSmallLinesToTheTargetWithinTheLimits) {
  const UpscaleLimits limits{32, 3.0, 5'000'000, 32767};
  struct Case {
    int lineHeight, width, height;
    double factor;
  };
  const Case cases[] = {
      {16, 800, 600, 2.0},  // to the target
      {8, 800, 600, 3.0},   // at most the largest factor
      {32, 800, 600, 1.0},  // high enough already
      {40, 800, 600, 1.0},
      {0, 800, 600, 1.0},                // no lines found
      {16, 2000, 1000, std::sqrt(2.5)},  // the pixel budget binds
      {16, 5000, 1000, 1.0},             // no room at all
      {16, 20000, 10, 32767.0 / 20000},  // the engine's longest side binds
      {16, 0, 600, 1.0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(upscaleFactor(c.lineHeight, c.width, c.height, limits), c.factor)
        << c.lineHeight << " " << c.width << "x" << c.height;
  }
  EXPECT_EQ(upscaleFactor(16, 800, 600, UpscaleLimits{}), 1.0);  // no target: never enlarged
}

}  // namespace
}  // namespace pagereader
