#include "json/json_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace json {
namespace {

TEST(JsonWriterTest, EscapesQuotesBackslashSolidusAndControlCharacters) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"a/b", R"("a\/b")"},
      {"say \"hi\"", R"("say \"hi\"")"},
      {"back\\slash", R"("back\\slash")"},
      {"tab\tline\nend\r", R"("tab\tline\nend\r")"},
      {std::string("nul\0x", 5), R"("nul\u0000x")"},
      {"\x1f\x7f", "\"\\u001f\x7f\""},
      {"中文 繁體", "\"中文 繁體\""},
  };
  for (const auto& c : cases) {
    std::string out;
    appendQuoted(out, c.in);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

TEST(JsonWriterTest, DoublesReadBackExactlyAndIntegralOnesHaveNoPoint) {
  EXPECT_EQ(formatDouble(350.0), "350");
  EXPECT_EQ(formatDouble(0.5), "0.5");
  EXPECT_EQ(formatDouble(static_cast<double>(0.3f)), "0.30000001192092896");
  const double samples[] = {0.1, 1.0 / 3.0, 123456.789, 5e-324, 1.7976931348623157e308, -2.5};
  for (double d : samples) {
    EXPECT_EQ(std::strtod(formatDouble(d).c_str(), nullptr), d) << formatDouble(d);
  }
}

TEST(JsonWriterTest, BuildsCompactObjectsAndArraysInCallOrder) {
  JsonWriter w;
  w.beginObject().key("ok").value(true).key("blocks").beginArray();
  w.beginObject().key("text").value("x").key("bbox").beginArray();
  w.value(1.0).value(2.5).endArray().endObject();
  w.beginObject().key("n").value(std::int64_t{-3}).endObject();
  w.endArray().key("u").value(std::uint64_t{18446744073709551615u}).endObject();
  EXPECT_EQ(
      w.finish().value(),
      R"({"ok":true,"blocks":[{"text":"x","bbox":[1,2.5]},{"n":-3}],"u":18446744073709551615})");
}

TEST(JsonWriterTest, NonFiniteNumberFailsTheWholeText) {
  for (double bad :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()}) {
    JsonWriter w;
    w.beginObject().key("x").value(bad).endObject();
    EXPECT_FALSE(w.finish().has_value());
  }
}

}  // namespace
}  // namespace json
