// How a tall detector input is cut into overlapping bands.

#include "reading/detection_bands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pagereader {
namespace {

TEST(DetectionBands, CoverEveryRowOnceWithTheirCutEdgesAwayFromKeptRows) {
  struct Case {
    std::string name;
    int rows, bandRows, overlap;
    std::size_t count;
  };
  const Case cases[] = {
      {"fits in one band", 480, 512, 128, 1}, {"exactly one band", 512, 512, 128, 1},
      {"one row more", 513, 512, 128, 2},     {"a wide screen at 1280", 736, 512, 128, 2},
      {"a square page", 1280, 512, 128, 3},   {"a tall page", 1280, 512, 256, 4},
  };
  for (const Case& c : cases) {
    const std::vector<DetectionBand> bands = detectionBands(c.rows, c.bandRows, c.overlap);
    ASSERT_EQ(bands.size(), c.count) << c.name;
    int next = 0;
    for (const DetectionBand& band : bands) {
      const int bandEnd = std::min(band.top + c.bandRows, c.rows);
      EXPECT_EQ(band.keepFrom, next) << c.name;
      EXPECT_LT(band.keepFrom, band.keepTo) << c.name;
      // What a band keeps lies inside it, at least half the overlap from an edge it cuts.
      EXPECT_GE(band.keepFrom - band.top, band.top > 0 ? c.overlap / 2 : 0) << c.name;
      EXPECT_GE(bandEnd - band.keepTo, bandEnd < c.rows ? c.overlap / 2 : 0) << c.name;
      next = band.keepTo;
    }
    EXPECT_EQ(next, c.rows) << c.name;
  }
}

TEST(DetectionBands, NoRowsNoBands) { EXPECT_TRUE(detectionBands(0, 512, 128).empty()); }

}  // namespace
}  // namespace pagereader
