#include "recognition/image_limits.h"

#include <gtest/gtest.h>

#include <vector>

#include "hostile_images.h"

namespace pagereader {
namespace {

using Bytes = std::vector<unsigned char>;
const ImageLimits kLimits;

TEST(DimensionsAllowedTest, BoundsEachSideAndTheArea) {
  const ImageLimits limits{1 << 20, 1000, 500000, 4, 16};
  struct Case {
    std::int64_t width, height;
    bool allowed;
  };
  const Case cases[] = {{1, 1, true},       {1000, 500, true}, {1001, 1, false}, {1, 1001, false},
                        {1000, 501, false}, {0, 10, false},    {10, -1, false},  {-5, -5, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(dimensionsAllowed(c.width, c.height, limits), c.allowed)
        << c.width << "x" << c.height;
  }
}

// A GIF with a two-colour global table and the given frames, each with one data sub-block.
Bytes gif(std::vector<std::pair<int, int>> frames, bool trailer = true) {
  Bytes bytes;
  // One byte at a time: GCC 12 reports a false array-bounds error in Release for an
  // initializer-list insert into a vector that has grown.
  const auto append = [&bytes](std::initializer_list<unsigned char> more) {
    for (unsigned char byte : more) bytes.push_back(byte);
  };
  append({'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255});
  append({0x21, 0xF9, 4, 0, 0, 0, 0, 0});  // graphic control extension
  for (auto [width, height] : frames) {
    append({0x2C, 0, 0, 0, 0, static_cast<unsigned char>(width & 0xFF),
            static_cast<unsigned char>(width >> 8), static_cast<unsigned char>(height & 0xFF),
            static_cast<unsigned char>(height >> 8), 0, 2, 2, 0x44, 0x01, 0});
  }
  if (trailer) bytes.push_back(0x3B);
  return bytes;
}

TEST(GifDeclaredSizeTest, ReportsTheFirstFrameAndCountsEveryFrame) {
  const auto size = gifDeclaredSize(gif({{30, 20}, {65535, 65535}}), kLimits);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 30);
  EXPECT_EQ(size->height, 20);
  EXPECT_EQ(size->decodedPixels, 600u + 65535ull * 65535ull);
}

TEST(GifDeclaredSizeTest, RejectsBrokenStructure) {
  EXPECT_FALSE(gifDeclaredSize(gif({}), kLimits));               // no frame
  EXPECT_FALSE(gifDeclaredSize(gif({{1, 1}}, false), kLimits));  // no trailer
  Bytes cut = gif({{1, 1}});
  cut.resize(cut.size() - 4);
  EXPECT_FALSE(gifDeclaredSize(cut, kLimits));  // truncated data
  Bytes stray = gif({{1, 1}});
  stray.insert(stray.end() - 1, 0x99);
  EXPECT_FALSE(gifDeclaredSize(stray, kLimits));  // unknown block
  EXPECT_FALSE(gifDeclaredSize(Bytes{'G', 'I', 'F'}, kLimits));
  Bytes hugeTable = gif({{1, 1}});
  hugeTable[10] = 0x87;  // a 768-byte table that is not there
  EXPECT_FALSE(gifDeclaredSize(hugeTable, kLimits));
}

TEST(GifDeclaredSizeTest, RefusesMoreFramesOrExtensionSubBlocksThanAnyRealImage) {
  const std::uint64_t frames = kLimits.maxGifFrames;
  const std::uint64_t subBlocks = kLimits.maxGifExtensionSubBlocks;
  struct Case {
    const char* name;
    Bytes bytes;
    bool accepted;
  };
  const Case cases[] = {
      {"one-pixel frames up to the bound", hostile::gifOfOnePixelFrames(frames), true},
      {"one frame more", hostile::gifOfOnePixelFrames(frames + 1), false},
      {"tiny sub-blocks up to the bound", hostile::gifWithTinySubBlocks(subBlocks), true},
      {"one sub-block more", hostile::gifWithTinySubBlocks(subBlocks + 1), false},
      {"one more, over many extensions", hostile::gifWithTinySubBlocks(subBlocks + 1, 5000), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(gifDeclaredSize(c.bytes, kLimits).has_value(), c.accepted) << c.name;
  }
}

TEST(BmpDeclaredSizeTest, ReadsTheInformationHeader) {
  Bytes header(26, 0);
  header[0] = 'B', header[1] = 'M';
  header[18] = 0x10, header[19] = 0x27;                                        // width 10000
  header[22] = 0x18, header[23] = 0xFC, header[24] = 0xFF, header[25] = 0xFF;  // height -1000
  const auto size = bmpDeclaredSize(header);
  ASSERT_TRUE(size);
  EXPECT_EQ(size->width, 10000);
  EXPECT_EQ(size->height, 1000);
  EXPECT_EQ(size->decodedPixels, 10000000u);
  header.resize(25);
  EXPECT_FALSE(bmpDeclaredSize(header));
}

}  // namespace
}  // namespace pagereader
