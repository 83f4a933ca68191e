#include "core/text_trim.h"

#include <gtest/gtest.h>

#include <string>

namespace pagereader {
namespace {

TEST(TrimTest, RemovesTheWhitespaceAndNewlineSetAtBothEndsOnly) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"  a b  ", "a b"},
      {"\t\n\v\f\r x \r\n", "x"},
      {"\u0085x\u00A0", "x"},                                // next line, no-break space
      {"\u3000中文\u3000", "中文"},                          // ideographic space
      {"\u2028\u2029x\u2000\u200A\u202F\u205F\u1680", "x"},  // Zl, Zp and the Zs range
      {"x\u200By", "x\u200By"},                              // zero-width space is not Z
      {"\u200Bx", "\u200Bx"},
      {" \xFF ", "\xFF"},  // invalid bytes stay as characters
      {" \n\t ", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(trimWhitespaceAndNewlines(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace pagereader
