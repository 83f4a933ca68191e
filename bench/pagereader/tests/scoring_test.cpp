#include "scoring.h"

#include <gtest/gtest.h>

namespace {

ScoredLine line(std::string text, double left, double top, double width = 200, double height = 20) {
  return {std::move(text), left, top, width, height};
}

TEST(ScoringTest, CountsCharacterEditsAndExactLinesIgnoringSpaces) {
  const std::vector<ScoredLine> truth = {line("Software Update", 10, 10),
                                         line("软件 更新", 10, 40)};
  const ImageScore score =
      scoreImage(truth, {line("软件更新", 12, 41), line("Softwarc Update", 11, 9)});
  EXPECT_EQ(score.truthCharacters, 18u);
  EXPECT_EQ(score.edits, 1u);
  EXPECT_EQ(score.truthLines, 2u);
  EXPECT_EQ(score.recalledLines, 1u);
}

TEST(ScoringTest, ALineIsFoundWholeInsideAnOutputLineOverItAndDetectedUnderOne) {
  const std::vector<ScoredLine> truth = {line("60503", 10, 10, 50), line("2019-12-26", 70, 10, 90)};
  struct Case {
    const char* what;
    std::vector<ScoredLine> output;
    std::size_t recalled;
    std::size_t found;
    std::size_t detected;
  };
  const Case cases[] = {
      {"each cell alone", {line("60503", 10, 10, 50), line("2019-12-26", 70, 10, 90)}, 2, 2, 2},
      {"two cells joined", {line("60503 2019-12-26", 10, 10, 150)}, 0, 2, 2},
      {"a cell misread", {line("60503 2019-12-2b", 10, 10, 150)}, 0, 1, 2},
      {"one cell boxed", {line("60503 2019-12-26", 70, 10, 90)}, 0, 1, 1},
      {"the right text elsewhere", {line("60503 2019-12-26", 10, 300, 150)}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const ImageScore score = scoreImage(truth, c.output);
    EXPECT_EQ(score.recalledLines, c.recalled) << c.what;
    EXPECT_EQ(score.foundLines, c.found) << c.what;
    EXPECT_EQ(score.detectedLines, c.detected) << c.what;
  }
}

TEST(ScoringTest, WordErrorOnEnglishLines) {
  const std::vector<ScoredLine> truth = {line("Software Update", 10, 10),
                                         line("Restart now", 10, 40), line("软件更新", 10, 70)};
  struct Case {
    const char* what;
    std::vector<ScoredLine> output;
    std::size_t wordEdits;
  };
  const Case cases[] = {
      {"all read", {line("Software Update", 10, 10), line("Restart now", 10, 40)}, 0},
      {"spaces dropped cost every word",
       {line("SoftwareUpdate", 10, 10), line("Restart now", 10, 40)},
       2},
      {"a misread word", {line("Software Upclate", 10, 10), line("Restart now", 10, 40)}, 1},
      {"a line missing", {line("Restart now", 10, 40)}, 2},
      {"full-width letters and extra spaces are the same words",
       {line("Ｓｏｆｔｗａｒｅ  Update ", 10, 10), line("Restart now", 10, 40)},
       0},
      {"a Chinese line's output is not counted",
       {line("Software Update", 10, 10), line("Restart now", 10, 40), line("soft ware", 10, 70)},
       0},
      {"output over nothing is not counted",
       {line("Software Update", 10, 10), line("Restart now", 10, 40), line("noise", 500, 500)},
       0},
      {"reading order decides, not output order",
       {line("Restart now", 10, 40), line("Software Update", 10, 10)},
       0},
  };
  for (const Case& c : cases) {
    const ImageScore score = scoreImage(truth, c.output);
    EXPECT_EQ(score.truthWords, 4u) << c.what;
    EXPECT_EQ(score.wordEdits, c.wordEdits) << c.what;
  }
}

TEST(ScoringTest, EnglishLinesHaveLatinLettersAndNoChinese) {
  EXPECT_TRUE(isEnglishLine("Install Now"));
  EXPECT_TRUE(isEnglishLine("-a, --all"));
  EXPECT_FALSE(isEnglishLine("Wi-Fi 设置"));
  EXPECT_FALSE(isEnglishLine("2024-03-15"));
}

}  // namespace
