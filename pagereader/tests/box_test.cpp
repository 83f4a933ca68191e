#include "core/box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace pagereader {
namespace {

using Values = std::array<double, 4>;

TEST(PixelBoxTest, MovesTheOriginUpAndDividesByTheScale) {
  struct Case {
    NormalizedBox box;
    ImageSize image;
    double scale;
    Values expected;
  };
  const Case cases[] = {
      {{0.1, 0.2, 0.5, 0.1}, {1000, 500}, 1.0, {100, 350, 500, 50}},
      {{0.1, 0.2, 0.5, 0.1}, {1000, 500}, 2.0, {50, 175, 250, 25}},
      {{0, 0, 1, 1}, {640, 480}, 1.0, {0, 0, 640, 480}},
      // Reaching above the image gives a negative top, kept as it is.
      {{0.25, 0.9, 0.5, 0.2}, {200, 100}, 1.0, {50, -10, 100, 20}},
  };
  for (const Case& c : cases) {
    const Values got = pixelBox(c.box, c.image, c.scale);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(got[i], c.expected[i]) << "value " << i;
  }
}

TEST(PixelBoxTest, FollowsTheFixedOrderOfOperations) {
  // 0.3 * 10 is 3.0000000000000004 in doubles; the top is H - (py + ph), not (H - py) - ph.
  const NormalizedBox box{0.3, 0.1, 0.7, 0.2};
  const ImageSize image{10, 10};
  const Values got = pixelBox(box, image, 3.0);
  const double px = 0.3 * 10.0, py = 0.1 * 10.0, pw = 0.7 * 10.0, ph = 0.2 * 10.0;
  EXPECT_EQ(got[0], px / 3.0);
  EXPECT_EQ(got[1], (10.0 - (py + ph)) / 3.0);
  EXPECT_EQ(got[2], pw / 3.0);
  EXPECT_EQ(got[3], ph / 3.0);
}

TEST(PixelBoxTest, AnInfiniteScaleGivesZeros) {
  const double inf = std::numeric_limits<double>::infinity();
  const Values got = pixelBox({0.1, 0.2, 0.5, 0.1}, {1000, 500}, inf);
  for (double value : got) EXPECT_EQ(value, 0.0);
  // A box reaching above the image has a negative top, which divides to negative zero.
  const Values above = pixelBox({0.1, 0.95, 0.5, 0.1}, {1000, 500}, inf);
  EXPECT_EQ(above[1], 0.0);
  EXPECT_TRUE(std::signbit(above[1]));
}

}  // namespace
}  // namespace pagereader
