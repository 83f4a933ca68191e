// The page's pixels as the recogniser sees them: colours in OpenCV's order whatever the depth.

#include "recognition/image_pixels_leptonica.h"

#include <gtest/gtest.h>
#include <leptonica/allheaders.h>

#include <string>

namespace pagereader {
namespace {

TEST(PagePixels, GiveBlueGreenRedAtEveryDepth) {
  struct Case {
    std::string name;
    int depth;
    l_uint32 value;        // what is written at (1, 0)
    cv::Vec3b bgr;         // what the recogniser must see there
    cv::Vec3b background;  // and where nothing was written
  };
  l_uint32 orange = 0;
  composeRGBPixel(250, 120, 10, &orange);
  const Case cases[] = {
      {"colour words", 32, orange, {10, 120, 250}, {0, 0, 0}},
      {"grey", 8, 77, {77, 77, 77}, {0, 0, 0}},
      {"black and white: 1 is black", 1, 1, {0, 0, 0}, {255, 255, 255}},
  };
  for (const Case& c : cases) {
    Pix* pix = pixCreate(3, 2, c.depth);
    pixSetPixel(pix, 1, 0, c.value);
    const PagePixels page(pix);
    pixDestroy(&pix);  // the page keeps what it needs
    ASSERT_FALSE(page.empty()) << c.name;
    const cv::Mat bgr = bgrFromWords(page.words());
    ASSERT_EQ(bgr.size(), cv::Size(3, 2)) << c.name;
    EXPECT_EQ(bgr.at<cv::Vec3b>(0, 1), c.bgr) << c.name;
    EXPECT_EQ(bgr.at<cv::Vec3b>(1, 2), c.background) << c.name;
  }
}

TEST(PagePixels, NoImageIsEmpty) { EXPECT_TRUE(PagePixels(nullptr).empty()); }

}  // namespace
}  // namespace pagereader
