#include "recognition/jp2_codestream.h"

#include <gtest/gtest.h>

#include "hostile_images.h"

namespace pagereader {
namespace {

using hostile::Jp2Coding;

const ImageLimits kLimits;

TEST(Jp2OutlineTest, ReadsWhatTheDecoderWillBuild) {
  for (bool bare : {false, true}) {
    Jp2Coding coding;
    coding.bareCodestream = bare;
    const auto outline = jp2Outline(hostile::jp2(coding), kLimits);
    ASSERT_TRUE(outline) << bare;
    EXPECT_EQ(outline->width, 37);
    EXPECT_EQ(outline->height, 23);
    EXPECT_EQ(outline->components, 1);
    EXPECT_EQ(outline->maxPrecision, 8);
    EXPECT_EQ(outline->tiles, 1u);
  }
}

TEST(Jp2OutlineTest, CountsCodeBlocksAndPacketSlotsOnTheGrid) {
  struct Case {
    const char* name;
    Jp2Coding coding;
    std::uint64_t codeBlocks, packetSlots;
  };
  // 64x64 pixels in one tile, one level: LL of 32x32 and three bands of 32x32.
  Jp2Coding oneLevel;
  oneLevel.width = oneLevel.height = 64;
  oneLevel.levels = 1;
  oneLevel.codeBlockExponent = 4;
  oneLevel.layers = 3;
  Jp2Coding smallPrecincts = oneLevel;  // precincts of 8: code-blocks of 8 at level 0, 4 beyond
  smallPrecincts.precinctExponent = 3;
  Jp2Coding fourTiles = oneLevel;  // tiles of 32x32: bands of 16x16, one code-block each
  fourTiles.tileWidth = fourTiles.tileHeight = 32;
  Jp2Coding offGrid = oneLevel;  // 65x65: one more column and row of code-blocks in LL and HL/LH
  offGrid.width = offGrid.height = 65;
  const Case cases[] = {
      {"one level", oneLevel, 4 * 4, (3 + 1) * 2 * 1 * 1},
      {"precincts of eight", smallPrecincts, 16 + 3 * 64, (3 + 1) * 2 * 1 * 64},
      {"four tiles", fourTiles, 4 * 4, 4 * (3 + 1) * 2 * 1 * 1},
      {"off the grid", offGrid, 9 + 6 + 6 + 4, (3 + 1) * 2 * 1 * 1},
  };
  for (const Case& c : cases) {
    const auto outline = jp2Outline(hostile::jp2(c.coding), kLimits);
    ASSERT_TRUE(outline) << c.name;
    EXPECT_EQ(outline->codeBlocks, c.codeBlocks) << c.name;
    EXPECT_EQ(outline->packetSlots, c.packetSlots) << c.name;
  }
}

TEST(Jp2OutlineTest, RefusesWorkBeyondTheBounds) {
  struct Case {
    const char* name;
    Jp2Coding coding;
    bool accepted;
  };
  const auto coding = [](auto change) {
    Jp2Coding result;
    change(result);
    return result;
  };
  const Case cases[] = {
      {"4096 tiles", coding([](Jp2Coding& c) { c.width = 4096, c.height = 1, c.tileWidth = 1; }),
       true},
      {"4097 tiles", coding([](Jp2Coding& c) { c.width = 4097, c.height = 1, c.tileWidth = 1; }),
       false},
      {"tiles of one pixel over a large image",
       coding([](Jp2Coding& c) { c.width = c.height = 8192, c.tileWidth = c.tileHeight = 1; }),
       false},
      {"15 levels", coding([](Jp2Coding& c) { c.levels = 15; }), true},
      {"16 levels", coding([](Jp2Coding& c) { c.levels = 16; }), false},
      {"code-blocks of 64 over 4096x4096",
       coding([](Jp2Coding& c) { c.width = c.height = 4096, c.codeBlockExponent = 6; }), true},
      {"code-blocks of 4 over 4096x4096",
       coding([](Jp2Coding& c) { c.width = c.height = 4096, c.codeBlockExponent = 2; }), false},
      {"code-blocks of 4 for one component",
       coding([](Jp2Coding& c) { c.width = c.height = 4096, c.componentCodeBlockExponent = 2; }),
       false},
      {"code-blocks of 4 in a tile-part header",
       coding([](Jp2Coding& c) { c.width = c.height = 4096, c.tilePartCodeBlockExponent = 2; }),
       false},
      {"precincts of 2 over 4096x4096",
       coding([](Jp2Coding& c) { c.width = c.height = 4096, c.precinctExponent = 1; }), false},
      {"65535 layers", coding([](Jp2Coding& c) { c.layers = 65535; }), true},
      {"65535 layers of small precincts", coding([](Jp2Coding& c) {
         c.width = c.height = 512, c.layers = 65535, c.precinctExponent = 5;
       }),
       false},
      {"four components", coding([](Jp2Coding& c) {
         c.subsampling = {1, 1, 1, 1};
       }),
       true},
      {"five components", coding([](Jp2Coding& c) {
         c.subsampling = {1, 1, 1, 1, 1};
       }),
       false},
      {"a component sampled below the grid", coding([](Jp2Coding& c) {
         c.subsampling = {1, 2, 2};
       }),
       false},
      {"larger than the allowed side", coding([](Jp2Coding& c) { c.width = 40000; }), false},
      {"many comments", coding([](Jp2Coding& c) { c.comments = 1000; }), true},
      {"more marker segments than allowed",
       coding([](Jp2Coding& c) { c.comments = kLimits.maxJp2Markers; }), false},
      {"an unknown marker", coding([](Jp2Coding& c) { c.unknownMarker = 0xFF6F; }), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(jp2Outline(hostile::jp2(c.coding), kLimits).has_value(), c.accepted) << c.name;
  }
}

TEST(Jp2OutlineTest, RefusesBrokenStructure) {
  const auto good = hostile::jp2({});
  Jp2Coding bareCoding;
  bareCoding.bareCodestream = true;
  const auto bare = hostile::jp2(bareCoding);
  const std::size_t sot = [&] {
    for (std::size_t i = 0;; ++i) {
      if (bare[i] == 0xFF && bare[i + 1] == 0x90) return i;
    }
  }();
  auto wrongTile = bare;
  wrongTile[sot + 5] = 1;  // tile 1 of 1
  auto partTooShort = bare;
  partTooShort[sot + 9] = 4;  // ends inside its own header
  auto partTooLong = bare;
  partTooLong[sot + 8] += 1;  // runs 256 bytes on, past where the next marker is
  auto cut = bare;
  cut.resize(cut.size() - 10);
  auto noCodingStyle = bare;
  noCodingStyle[2 + 2 + 41 + 1] = 0x64;  // the COD after the SIZ becomes a comment
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    bool accepted;
  };
  const Case cases[] = {
      {"JP2", good, true},
      {"bare codestream", bare, true},
      {"tile-part data cut short", cut, true},
      {"tile index past the tiles", wrongTile, false},
      {"tile-part shorter than its header", partTooShort, false},
      {"tile-part running past the end", partTooLong, true},
      {"no coding style", noCodingStyle, false},
      {"codestream box missing", {good.begin(), good.begin() + 50}, false},
      {"empty", {}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(jp2Outline(c.bytes, kLimits).has_value(), c.accepted) << c.name;
  }
}

}  // namespace
}  // namespace pagereader
