#include "core/ocr_output.h"

#include <gtest/gtest.h>

#include <limits>

namespace pagereader {
namespace {

TEST(JsonLineTest, PrintsEachShapeAsOneCompactLine) {
  struct Case {
    OcrOutput output;
    std::string line;
  };
  const Case cases[] = {
      {OcrOutput::failure("Missing --image <path>"),
       "{\"ok\":false,\"error\":\"Missing --image <path>\"}\n"},
      {OcrOutput::success({}), "{\"ok\":true,\"blocks\":[]}\n"},
      {OcrOutput::success({{"Hello", {100, 350, 500, 50}, 0.5}}),
       "{\"ok\":true,\"blocks\":[{\"text\":\"Hello\",\"bbox\":[100,350,500,50],\"confidence\":0.5}]"
       "}\n"},
      {OcrOutput::success(
           {{"a", {0.5, -10, 1e21, 0}, static_cast<double>(0.3f)}, {"b", {1, 2, 3, 4}, 1}}),
       "{\"ok\":true,\"blocks\":[{\"text\":\"a\",\"bbox\":[0.5,-10,1e+21,0],"
       "\"confidence\":0.30000001192092896},{\"text\":\"b\",\"bbox\":[1,2,3,4],\"confidence\":1}]}"
       "\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(jsonLine(c.output), c.line);
}

TEST(JsonLineTest, EscapesTextButLeavesChineseAsItIs) {
  const OcrOutput output = OcrOutput::success({{"a/b \"q\" \\ \t\n 中文 繁體", {0, 0, 1, 1}, 1}});
  EXPECT_EQ(jsonLine(output),
            "{\"ok\":true,\"blocks\":[{\"text\":\"a\\/b \\\"q\\\" \\\\ \\t\\n 中文 繁體\","
            "\"bbox\":[0,0,1,1],\"confidence\":1}]}\n");
}

TEST(JsonLineTest, NonFiniteNumbersGiveTheFixedFallbackLine) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const OcrOutput& output :
       {OcrOutput::success({{"x", {inf, 0, 0, 0}, 1}}),
        OcrOutput::success({{"x", {0, 0, 0, -inf}, 1}}),
        OcrOutput::success({{"ok", {0, 0, 0, 0}, 1}, {"x", {0, 0, 0, 0}, nan}})}) {
    const std::string line = jsonLine(output);
    EXPECT_EQ(line, "{\"ok\":false,\"error\":\"Failed to encode JSON\"}\n");
    EXPECT_EQ(line.size(), 45u);
  }
}

}  // namespace
}  // namespace pagereader
