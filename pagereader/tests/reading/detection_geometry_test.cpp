// The arithmetic between the detector's probability map and the line crops.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "reading/detection_geometry.h"
#include "reading/ink_extent.h"
#include "reading/reading_order.h"
#include "reading/width_plan.h"

namespace pagereader {
namespace {

Quad rectangle(double left, double top, double right, double bottom) {
  return {Point{left, top}, Point{right, top}, Point{right, bottom}, Point{left, bottom}};
}

void expectQuad(const Quad& actual, const Quad& expected) {
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(actual[i].x, expected[i].x, 1e-9) << "corner " << i;
    EXPECT_NEAR(actual[i].y, expected[i].y, 1e-9) << "corner " << i;
  }
}

TEST(DetectionGeometry, DetectorInputIsBoundedAndAMultipleOf32) {
  struct Case {
    PixelSize image;
    PixelSize input;
  };
  const Case cases[] = {
      {{1280, 800}, {1280, 800}},   // fits as it is
      {{2560, 1600}, {1280, 800}},  // longest side brought down to the bound
      {{1000, 3000}, {416, 1280}},
      {{100, 50}, {96, 64}},     // rounded, never enlarged beyond rounding
      {{1, 1}, {32, 32}},        // the smallest input
      {{32767, 2}, {1280, 32}},  // a hostile strip
  };
  for (const Case& c : cases) {
    const PixelSize input = detectorInputSize(c.image, 1280);
    EXPECT_EQ(input.width, c.input.width) << c.image.width << "x" << c.image.height;
    EXPECT_EQ(input.height, c.input.height) << c.image.width << "x" << c.image.height;
  }
}

TEST(DetectionGeometry, CornersComeClockwiseFromTheUpperLeft) {
  const Quad expected = rectangle(10, 20, 50, 30);
  expectQuad(clockwiseFromTopLeft({Point{50, 30}, Point{10, 20}, Point{10, 30}, Point{50, 20}}),
             expected);
  const Quad tilted = clockwiseFromTopLeft({Point{2, 0}, Point{0, 1}, Point{4, 4}, Point{6, 3}});
  // Text running down to the right: its long upper edge first.
  expectQuad(tilted, {Point{2, 0}, Point{6, 3}, Point{4, 4}, Point{0, 1}});
}

TEST(DetectionGeometry, ACoreGrowsByAreaTimesRatioOverPerimeter) {
  // 100 x 10: 1000 x 1.6 / 220 = 7.2727... on every side.
  const double grow = 1000 * 1.6 / 220;
  expectQuad(expanded(rectangle(0, 0, 100, 10), 1.6),
             rectangle(-grow, -grow, 100 + grow, 10 + grow));
  EXPECT_NEAR(shortSide(expanded(rectangle(0, 0, 100, 10), 1.6)), 10 + 2 * grow, 1e-9);
  // A turned rectangle grows along its own sides.
  const Quad turned = expanded({Point{1, 0}, Point{2, 1}, Point{1, 2}, Point{0, 1}}, 0);
  expectQuad(turned, {Point{1, 0}, Point{2, 1}, Point{1, 2}, Point{0, 1}});
  // The reading margin: 0.15 of the height above and below, 0.3 of it at each end.
  expectQuad(withReadingMargin(rectangle(0, 0, 100, 10)), rectangle(-3, -1.5, 103, 11.5));
}

TEST(DetectionGeometry, BoxScoreIsTheMeanInsideTheQuad) {
  // 4 x 3 map, right half certain text.
  const std::vector<float> values{0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1};
  const ProbabilityMap map{values, 4, 3};
  EXPECT_DOUBLE_EQ(meanInside(map, rectangle(2, 0, 4, 3)), 1.0);
  EXPECT_DOUBLE_EQ(meanInside(map, rectangle(0, 0, 4, 3)), 0.5);
  EXPECT_DOUBLE_EQ(meanInside(map, rectangle(0, 0, 2, 1)), 0.0);
  EXPECT_DOUBLE_EQ(meanInside(map, rectangle(10, 10, 20, 20)), 0.0);  // outside the map
}

TEST(DetectionGeometry, RegionsScaleToTheImageAndStayInside) {
  expectQuad(scaledToImage(rectangle(-5, 10, 40, 20), 2, 0.5, 60, 100), rectangle(0, 5, 60, 10));
  const CropSize size = cropSize({Point{0, 0}, Point{30, 0}, Point{32, 10}, Point{0, 12}});
  EXPECT_NEAR(size.width, std::hypot(32.0, 2.0), 1e-9);  // the longer of top and bottom
  EXPECT_NEAR(size.height, 12, 1e-9);                    // the longer of the two ends
  EXPECT_TRUE(readsVertically({10, 15}));
  EXPECT_FALSE(readsVertically({10, 14}));
}

TEST(WidthPlan, KeepsTheAspectAtHeight48InWholeSteps) {
  EXPECT_EQ(recognitionWidth(100, 24), 200);    // doubled
  EXPECT_EQ(recognitionWidth(101, 48), 104);    // rounded up to a multiple of 8
  EXPECT_EQ(recognitionWidth(3, 48), 16);       // the narrowest input
  EXPECT_EQ(recognitionWidth(32767, 3), 4096);  // bounded
  EXPECT_EQ(recognitionWidth(0, 0), 16);
  EXPECT_EQ(widestFirst({8, 64, 16, 64}), (std::vector<std::size_t>{1, 3, 2, 0}));
}

TEST(ReadingOrder, RowsTopDownEachLeftToRight) {
  // A label and its value on one row (tops differ a little), then a line below.
  const std::vector<LineExtent> lines{{200, 12, 30}, {10, 10, 28}, {10, 40, 58}, {120, 14, 26}};
  EXPECT_EQ(readingOrder(lines), (std::vector<std::size_t>{1, 3, 0, 2}));
  EXPECT_TRUE(readingOrder({}).empty());
}

TEST(InkExtent, FindsTheInkWhateverTheBackground) {
  // 6 x 4, ink at columns 2..3 of rows 1..2; once dark on light, once light on dark.
  for (const auto& [background, ink] : {std::pair{250, 20}, std::pair{30, 200}}) {
    std::vector<std::uint8_t> grey(24, static_cast<std::uint8_t>(background));
    for (int y = 1; y <= 2; ++y) {
      for (int x = 2; x <= 3; ++x)
        grey[static_cast<std::size_t>(y * 6 + x)] = static_cast<std::uint8_t>(ink);
    }
    grey[0] = static_cast<std::uint8_t>(background - 10);  // faint noise is no ink
    const auto extent = inkExtent(grey, 6, 4);
    ASSERT_TRUE(extent);
    EXPECT_EQ(extent->left, 2);
    EXPECT_EQ(extent->top, 1);
    EXPECT_EQ(extent->right, 4);
    EXPECT_EQ(extent->bottom, 3);
  }
  EXPECT_FALSE(inkExtent(std::vector<std::uint8_t>(24, 128), 6, 4));  // flat
  std::vector<std::uint8_t> strokes(24, 255);
  strokes[7] = strokes[10] = 0;  // row 1, columns 1 and 4
  EXPECT_EQ(inkColumns(strokes, 6, 4), (std::vector<bool>{false, true, false, false, true, false}));
  EXPECT_EQ(inkColumns(std::vector<std::uint8_t>(24, 128), 6, 4), std::vector<bool>(6, false));
  EXPECT_FALSE(inkExtent(std::vector<std::uint8_t>(3, 0), 6, 4));  // too few pixels
}

}  // namespace
}  // namespace pagereader
