#include "core/args.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace pagereader {
namespace {

using Args = std::vector<std::string>;

TEST(ParseArgTest, TakesTheTrimmedValueAfterTheFirstExactOccurrence) {
  struct Case {
    Args from;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {{"prog", "--image", "a.png"}, "a.png"},
      {{"prog", "x", "--image", " a b.png\n"}, "a b.png"},
      {{"prog", "--image"}, std::nullopt},                          // last element
      {{"prog", "--image", "", "--image", "b.png"}, std::nullopt},  // first one only
      {{"prog", "--image", " \n", "--image", "b.png"}, std::nullopt},
      {{"prog", "--image=a.png"}, std::nullopt},  // flag and value joined
      {{"prog", "--IMAGE", "a.png"}, std::nullopt},
      {{"prog", "--image", "--scale"}, "--scale"},  // taken whatever it is
      {{"--image", "a.png"}, "a.png"},              // position 0 is searched
      {{}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parseArg("--image", c.from), c.value) << ::testing::PrintToString(c.from);
  }
}

TEST(ParseCDoubleTest, AcceptsExactlyWhatStrtodReadsWhole) {
  struct Case {
    std::string text;
    std::optional<double> value;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"2", 2.0},
      {"+1.5", 1.5},
      {"-3", -3.0},
      {".5", 0.5},
      {"1e3", 1000.0},
      {"0x1p-2", 0.25},
      {"INF", inf},
      {"-Infinity", -inf},
      {"1e999", inf},  // beyond the range: strtod's infinity, taken as a number
      {"1,5", std::nullopt},
      {"2px", std::nullopt},
      {"two", std::nullopt},
      {" 2", std::nullopt},
      {"2 ", std::nullopt},
      {"", std::nullopt},
      {std::string("2\0"
                   "5",
                   3),
       std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseCDouble(c.text), c.value) << c.text;
  EXPECT_TRUE(std::isnan(*parseCDouble("nan")));
  EXPECT_TRUE(std::isnan(*parseCDouble("NaN(123)")));
}

TEST(ReadCommandLineTest, ChecksImageThenScaleInOrder) {
  struct Case {
    Args arguments;
    std::optional<std::string> error;  // none: valid
    std::string path;
    double scale;
  };
  const std::string missing(kMissingImageMessage);
  const std::string badScale(kInvalidScaleMessage);
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {{"prog"}, missing, "", 0},
      {{"prog", "--image"}, missing, "", 0},
      {{"prog", "--image", "", "--image", "a.png"}, missing, "", 0},
      {{"prog", "--image=a.png"}, missing, "", 0},
      {{"prog", "--scale", "0"}, missing, "", 0},  // the image message wins
      {{"prog", "--image", "a.png"}, std::nullopt, "a.png", 1.0},
      {{"prog", "--scale", "2", "extra", "--image", " a.png\n"}, std::nullopt, "a.png", 2.0},
      {{"prog", "--image", "a.png", "--scale", "abc"}, std::nullopt, "a.png", 1.0},
      {{"prog", "--image", "a.png", "--scale", "2x"}, std::nullopt, "a.png", 1.0},
      {{"prog", "--image", "a.png", "--scale", "1,5"}, std::nullopt, "a.png", 1.0},
      {{"prog", "--image", "a.png", "--scale"}, std::nullopt, "a.png", 1.0},
      {{"prog", "--image", "a.png", "--scale", " "}, std::nullopt, "a.png", 1.0},
      {{"prog", "--image", "a.png", "--scale", "inf"}, std::nullopt, "a.png", inf},
      {{"prog", "--image", "a.png", "--scale", "0"}, badScale, "", 0},
      {{"prog", "--image", "a.png", "--scale", "-0"}, badScale, "", 0},
      {{"prog", "--image", "a.png", "--scale", "-2"}, badScale, "", 0},
      {{"prog", "--image", "a.png", "--scale", "nan"}, badScale, "", 0},
      {{"prog", "--image", "a.png", "--scale", "-inf"}, badScale, "", 0},
      {{"prog", "--image", "a.png", "--scale", "0", "--scale", "2"}, badScale, "", 0},
      {{"prog", "--image", "a.png", "--scale", "1e-999"}, badScale, "", 0},  // underflows to 0
  };
  for (const Case& c : cases) {
    const auto result = readCommandLine(c.arguments);
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    if (c.error) {
      ASSERT_FALSE(result.ok());
      EXPECT_EQ(result.reason(), *c.error);
    } else {
      ASSERT_TRUE(result.ok()) << result.reason();
      EXPECT_EQ(result->imagePath, c.path);
      EXPECT_EQ(result->scale, c.scale);
    }
  }
}

}  // namespace
}  // namespace pagereader
