// Greedy CTC decoding and the line text built from it, on small probability tables.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reading/character_classes.h"
#include "reading/ctc_decoding.h"
#include "reading/line_text.h"

namespace pagereader {
namespace {

// Classes: 0 blank, 1 "a", 2 "b", 3 "软", 4 space.
const CharacterClasses kClasses = *CharacterClasses::fromDictionary("a\nb\n软\n");

// One row per step: the best class gets `p`, a runner-up `secondP`, the blank what is left.
struct Step {
  std::size_t best;
  float p = 0.9f;
  std::size_t second = 0;
  float secondP = 0;
};

std::vector<float> table(const std::vector<Step>& steps) {
  std::vector<float> rows;
  for (const Step& step : steps) {
    std::vector<float> row(kClasses.size(), 0.0f);
    row[step.second] = step.secondP;
    row[step.best] = step.p;
    if (step.best != 0) row[0] += 1 - step.p - step.secondP;
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

std::string read(const std::vector<Step>& steps, const HesitantCharacters& hesitant = {}) {
  const std::vector<float> rows = table(steps);
  return lineText(decodeGreedy(rows, steps.size(), kClasses.size(), hesitant), kClasses).text;
}

TEST(CtcReading, MergesRepeatsDropsBlanksAndKeepsWordSpaces) {
  struct Case {
    std::string name;
    std::vector<Step> steps;
    std::string text;
  };
  const Case cases[] = {
      {"nothing", {}, ""},
      {"only blanks", {{0}, {0}}, ""},
      {"a run is one character", {{1}, {1}, {1}}, "a"},
      {"a blank separates a double letter", {{1}, {0}, {1}}, "aa"},
      {"different letters need no blank", {{1}, {2}}, "ab"},
      {"the space class between words", {{1}, {4}, {4}, {2}}, "a b"},
      {"spaces in a row are one", {{1}, {4}, {0}, {4}, {2}}, "a b"},
      {"a leading space is dropped", {{4}, {1}}, "a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read(c.steps), c.text) << c.name;
  }
}

TEST(CtcReading, ReadsAHesitantIdeographOrSpaceOnlyAboveTheFloorAndNotBesideItself) {
  const HesitantCharacters hesitant = hesitantIdeographsAndSpaces(kClasses, 0.2f);
  struct Case {
    std::string name;
    std::vector<Step> steps;  // the blank wins each hesitant step; its runner-up may be taken
    std::string text;
  };
  const Case cases[] = {
      {"an ideograph above the floor", {{0, 0.7f, 3, 0.25f}, {2}}, "软b"},
      {"a word space above the floor", {{1}, {0, 0.7f, 4, 0.25f}, {2}}, "a b"},
      {"below the floor", {{0, 0.85f, 3, 0.15f}, {2}}, "b"},
      {"a space below the floor", {{1}, {0, 0.85f, 4, 0.15f}, {2}}, "ab"},
      {"a Latin letter is not taken", {{0, 0.7f, 1, 0.25f}, {2}}, "b"},
      {"a doubled ideograph keeps its blank", {{3}, {0, 0.7f, 3, 0.25f}, {3}}, "软软"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read(c.steps, hesitant), c.text) << c.name;
  }
  EXPECT_EQ(read({{0, 0.7f, 3, 0.25f}, {2}}), "b") << "no floor given";
}

TEST(CtcReading, AChineseAndALatinWordGetASpaceWhereTheInkHasAWordGap) {
  // Steps 0 and 2 hold "软" and "a"; each step covers 10 columns, the gap test runs between the
  // characters' centres (columns 5 to 25).
  const std::vector<float> rows = table({{3}, {0}, {1}, {0}, {2}});
  const auto characters = decodeGreedy(rows, 5, kClasses.size());
  const auto withInk = [&](std::size_t blankFrom, std::size_t blankTo) {
    InkGaps gaps{std::vector<bool>(50, true), 10, 6};
    for (std::size_t c = blankFrom; c < blankTo; ++c) gaps.inkColumns[c] = false;
    return lineText(characters, kClasses, &gaps).text;
  };
  EXPECT_EQ(withInk(12, 18), "软 ab");  // a word gap between the ideograph and the letter
  EXPECT_EQ(withInk(12, 17), "软ab");   // narrower than a word gap
  EXPECT_EQ(withInk(30, 40), "软ab");   // a gap between two letters is the recogniser's call
  EXPECT_EQ(lineText(characters, kClasses).text, "软ab");
}

TEST(CtcReading, ConfidenceIsTheMeanOfTheCharactersWithoutSpaces) {
  const std::vector<float> rows = table({{1, 0.9f}, {4, 0.6f}, {2, 0.7f}});
  const LineReading reading = lineText(decodeGreedy(rows, 3, kClasses.size()), kClasses);
  EXPECT_EQ(reading.text, "a b");
  EXPECT_FLOAT_EQ(reading.confidence, 0.8f);
}

TEST(CtcReading, ATableShorterThanItsStepsIsReadAsFarAsItGoes) {
  const std::vector<float> rows = table({{1}, {2}});
  EXPECT_EQ(decodeGreedy(rows, 5, kClasses.size()).size(), 2u);
  EXPECT_TRUE(decodeGreedy(rows, 2, 0).empty());
}

TEST(CharacterClasses, ReadsTheDictionaryAroundBlankAndSpace) {
  const auto classes = CharacterClasses::fromDictionary("x\r\n软\ny");
  ASSERT_TRUE(classes);
  EXPECT_EQ(classes->size(), 5u);
  EXPECT_EQ(classes->text(CharacterClasses::kBlank), "");
  EXPECT_EQ(classes->text(1), "x");
  EXPECT_EQ(classes->text(3), "y");
  EXPECT_EQ(classes->text(classes->space()), " ");
  EXPECT_EQ(classes->text(99), "");
  EXPECT_TRUE(classes->contains("软"));
  EXPECT_FALSE(classes->contains("軟"));
  EXPECT_TRUE(classes->isIdeograph(2));
  EXPECT_FALSE(classes->isIdeograph(1));

  for (const std::string bad : {"", "\n", "a\n\nb\n", "a\n\xff\n"}) {
    EXPECT_FALSE(CharacterClasses::fromDictionary(bad)) << bad;
  }
}

}  // namespace
}  // namespace pagereader
