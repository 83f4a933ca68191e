#include "recognition/jpeg_scans.h"

#include <gtest/gtest.h>

#include <vector>

#include "hostile_images.h"

namespace pagereader {
namespace {

using Bytes = std::vector<unsigned char>;

const Bytes kStart = {0xFF, 0xD8};
const Bytes kEnd = {0xFF, 0xD9};
// A scan header (one component), then entropy-coded data holding a stuffed 0xFF and a restart.
const Bytes kScan = {0xFF, 0xDA, 0, 8, 1, 1, 0, 1, 63, 0, 0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD3, 0x56};
// An application segment whose payload happens to hold the bytes of a scan marker.
const Bytes kAppWithScanBytes = {0xFF, 0xE1, 0, 6, 0xFF, 0xDA, 0xFF, 0xDA};

Bytes joined(std::initializer_list<Bytes> parts) {
  Bytes bytes;
  for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

TEST(JpegScanCountTest, CountsTheScansOfTheFirstImageAsTheDecoderFindsThem) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::size_t scans;
  };
  const Case cases[] = {
      {"one scan", joined({kStart, kScan, kEnd}), 1},
      {"three scans", joined({kStart, kScan, kScan, kScan, kEnd}), 3},
      {"scan marker bytes inside a segment", joined({kStart, kAppWithScanBytes, kScan, kEnd}), 1},
      {"fill bytes and stray bytes before markers",
       joined({kStart, {0xFF, 0xFF}, kScan, {0x00, 0x17}, kScan, {0xFF, 0xFF}, kEnd}), 2},
      {"scans after the end of the image", joined({kStart, kScan, kEnd, kScan, kScan}), 1},
      {"a second image start ends the walk", joined({kStart, kScan, kStart, kScan}), 1},
      {"no end marker", joined({kStart, kScan, kScan}), 2},
      {"segment cut short", joined({kStart, kScan, {0xFF, 0xDA, 0, 40, 1}}), 1},
      {"not a JPEG", joined({kScan, kScan}), 0},
      {"empty", {}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(jpegScanCount(c.bytes, 1000), c.scans) << c.name;
}

TEST(JpegScanCountTest, StopsCountingOnceItPassesTheBound) {
  const Bytes bytes = joined({kStart, kScan, kScan, kScan, kScan, kScan, kEnd});
  EXPECT_EQ(jpegScanCount(bytes, 2), 3u);
  EXPECT_EQ(jpegScanCount(bytes, 5), 5u);
}

TEST(JpegScanCountTest, ReadsEncodedFiles) {
  EXPECT_EQ(jpegScanCount(hostile::progressiveJpeg(64, 2, 3), 1000), 9u);
  EXPECT_EQ(jpegScanCount(hostile::progressiveJpeg(64, 63, 11), 1000), 704u);
}

}  // namespace
}  // namespace pagereader
