#include "recognition/tiff_orientation.h"

#include <gtest/gtest.h>

#include "hostile_images.h"

namespace pagereader {
namespace {

using hostile::TiffPicture;

TiffPicture withOrientation(TiffPicture picture, int orientation) {
  picture.orientation = orientation;
  return picture;
}

TEST(WithFirstPageUprightTest, RewritesEveryOrientationTagOfTheFirstPageAsTopLeft) {
  TiffPicture motorola;
  motorola.bigEndian = true;
  TiffPicture big;
  big.bigTiff = true;
  TiffPicture bigMotorola = big;
  bigMotorola.bigEndian = true;
  TiffPicture twice;
  twice.orientationEntries = 2;
  const std::pair<const char*, TiffPicture> layouts[] = {
      {"little-endian", {}},
      {"big-endian", motorola},
      {"BigTIFF", big},
      {"big-endian BigTIFF", bigMotorola},
      {"tag written twice", twice},
  };
  for (const auto& [name, layout] : layouts) {
    const auto upright = hostile::tiff(withOrientation(layout, 1));
    for (int orientation : {2, 3, 6, 8, 9, 0xFFFF}) {
      const auto rewritten =
          withFirstPageUpright(hostile::tiff(withOrientation(layout, orientation)));
      ASSERT_TRUE(rewritten) << name << " " << orientation;
      EXPECT_EQ(*rewritten, upright) << name << " " << orientation;
    }
  }
}

TEST(WithFirstPageUprightTest, AnyFormOfTheTagBecomesOneShortValue) {
  TiffPicture asLong;
  asLong.orientationType = 4;
  EXPECT_EQ(withFirstPageUpright(hostile::tiff(withOrientation(asLong, 1))),
            hostile::tiff(withOrientation({}, 1)));
  EXPECT_EQ(withFirstPageUpright(hostile::tiff(withOrientation(asLong, 3))),
            hostile::tiff(withOrientation({}, 1)));
}

TEST(WithFirstPageUprightTest, LeavesAloneWhatNeedsNoChange) {
  TiffPicture laterPage;
  laterPage.secondPageOrientation = 3;
  auto truncated = hostile::tiff(withOrientation({}, 3));
  truncated.resize(truncated.size() - 20);
  auto wrongVersion = hostile::tiff(withOrientation({}, 3));
  wrongVersion[2] = 41;
  auto directoryPastTheEnd = hostile::tiff(withOrientation({}, 3));
  directoryPastTheEnd[4] = 0xF0;
  const std::pair<const char*, std::vector<unsigned char>> cases[] = {
      {"no orientation tag", hostile::tiff({})},
      {"already top-left", hostile::tiff(withOrientation({}, 1))},
      {"tag on a later page only", hostile::tiff(laterPage)},
      {"directory cut short", truncated},
      {"not a TIFF version", wrongVersion},
      {"directory past the end", directoryPastTheEnd},
      {"too short for a header", {0x49, 0x49, 42}},
  };
  for (const auto& [name, bytes] : cases) EXPECT_FALSE(withFirstPageUpright(bytes)) << name;
}

}  // namespace
}  // namespace pagereader
