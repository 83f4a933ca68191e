#include "core/collect_blocks.h"

#include <gtest/gtest.h>

namespace pagereader {
namespace {

Observation observation(std::optional<std::string> text, float confidence = 0.5f,
                        NormalizedBox box = {0.1, 0.2, 0.5, 0.1}) {
  if (!text) return Observation{std::nullopt, box};
  return Observation{Candidate{*text, confidence}, box};
}

TEST(CollectBlocksTest, KeepsOrderTrimsTextAndSkipsEmptyReadings) {
  const std::vector<Observation> observations = {
      observation("  second line \n"),
      observation(std::nullopt),  // no candidate
      observation(" \u3000\t"),   // blank once trimmed
      observation("inner  space\tand\nbreak", 0.3f),
      observation("first"),
  };
  const std::vector<OcrBlock> blocks = collectBlocks(observations, {1000, 500}, 1.0);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].text, "second line");
  EXPECT_EQ(blocks[1].text, "inner  space\tand\nbreak");
  EXPECT_EQ(blocks[2].text, "first");
  EXPECT_EQ(blocks[1].confidence, 0.30000001192092896);  // widened, not rounded
  EXPECT_EQ(blocks[0].bbox, (std::array<double, 4>{100, 350, 500, 50}));
}

TEST(CollectBlocksTest, AppliesTheScaleToEveryBox) {
  const std::vector<OcrBlock> blocks = collectBlocks({observation("x")}, {1000, 500}, 2.0);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].bbox, (std::array<double, 4>{50, 175, 250, 25}));
}

}  // namespace
}  // namespace pagereader
