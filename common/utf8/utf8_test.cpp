#include "utf8/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace utf8 {
namespace {

struct Utf8Case {
  const char* name;
  std::string bytes;
  bool valid;
  friend void PrintTo(const Utf8Case& c, std::ostream* out) { *out << c.name; }
};

class Utf8 : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8, ValidatesStrictly) { EXPECT_EQ(isValid(GetParam().bytes), GetParam().valid); }

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8,
    ::testing::Values(Utf8Case{"Empty", "", true}, Utf8Case{"Ascii", "pid = 5\n", true},
                      Utf8Case{"EmbeddedNul", std::string("a\0b", 3), true},
                      Utf8Case{"TwoBytes", "\xC3\xA9", true},
                      Utf8Case{"ThreeBytes", "\xE2\x82\xAC", true},
                      Utf8Case{"FourBytes", "\xF0\x9F\x98\x80", true},
                      Utf8Case{"LargestScalar", "\xF4\x8F\xBF\xBF", true},
                      Utf8Case{"LoneContinuation", "\x80", false},
                      Utf8Case{"OverlongTwoBytes", "\xC0\xAF", false},
                      Utf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", false},
                      Utf8Case{"OverlongFourBytes", "\xF0\x80\x80\xAF", false},
                      Utf8Case{"Surrogate", "\xED\xA0\x80", false},
                      Utf8Case{"AboveLargestScalar", "\xF4\x90\x80\x80", false},
                      Utf8Case{"InvalidLeadByte", "\xFF", false},
                      Utf8Case{"TruncatedAtEnd", "ab\xE2\x82", false},
                      Utf8Case{"TruncatedBeforeAscii",
                               "\xE2\x82"
                               "a",
                               false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace utf8
