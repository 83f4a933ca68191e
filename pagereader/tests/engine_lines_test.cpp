#include "recognition/engine_lines.h"

#include <gtest/gtest.h>

namespace pagereader {
namespace {

TEST(RemoveSpacesBetweenCjkTest, JoinsChineseButKeepsOtherSpaces) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"软 件 更 新", "软件更新"},
      {"請 重新  啟動 。", "請重新啟動。"},
      {"打开 Wi-Fi 设置", "打开 Wi-Fi 设置"},
      {"Software Update", "Software Update"},
      {"版本 2.4.1 修复", "版本 2.4.1 修复"},
      {" 中 文 ", " 中文 "},         // outer spaces are trimming's business
      {"已用 ３ GB", "已用３ GB"},   // full-width digits count as CJK
      {"中 \xFF 文", "中 \xFF 文"},  // an invalid byte is not CJK
      {"𠀀 𠀁", "𠀀𠀁"},             // outside the basic plane
  };
  for (const Case& c : cases) EXPECT_EQ(removeSpacesBetweenCjk(c.in), c.out) << c.in;
}

TEST(ObservationsFromEngineLinesTest, NormalisesBoxesWithTheOriginAtTheBottom) {
  const std::vector<EngineLine> lines = {{"first\n", 95.0f, 100, 50, 600, 100}};
  const auto observations = observationsFromEngineLines(lines, 1000, 500);
  ASSERT_EQ(observations.size(), 1u);
  const NormalizedBox& box = observations[0].boundingBox;
  EXPECT_DOUBLE_EQ(box.x, 0.1);
  EXPECT_DOUBLE_EQ(box.y, 0.8);  // bottom edge 100 px from the top of 500
  EXPECT_DOUBLE_EQ(box.width, 0.5);
  EXPECT_DOUBLE_EQ(box.height, 0.1);
  EXPECT_EQ(observations[0].topCandidate->text, "first\n");
  EXPECT_EQ(observations[0].topCandidate->confidence, 0.95f);
}

TEST(ObservationsFromEngineLinesTest, ClampsConfidenceAndDropsLinesBelowTheMinimumHeight) {
  const std::vector<EngineLine> lines = {
      {"tall", 120.0f, 0, 0, 10, 10},
      {"short", 50.0f, 0, 20, 10, 29},  // 9 of 1000 px: below 0.01
      {"just", -3.0f, 0, 40, 10, 50},   // exactly 0.01
  };
  const auto observations = observationsFromEngineLines(lines, 100, 1000);
  ASSERT_EQ(observations.size(), 2u);
  EXPECT_EQ(observations[0].topCandidate->text, "tall");
  EXPECT_EQ(observations[0].topCandidate->confidence, 1.0f);
  EXPECT_EQ(observations[1].topCandidate->text, "just");
  EXPECT_EQ(observations[1].topCandidate->confidence, 0.0f);
}

}  // namespace
}  // namespace pagereader
