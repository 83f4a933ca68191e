#include "host/fresh_values.h"

#include <gtest/gtest.h>

#include <limits>

namespace installwarden::host {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kNow = 1'765'000'000'000'000;  // microseconds, late 2025

TEST(NextSequence, DiffersFromTheCommandInTheFileAndIsNeverMinusOne) {
  struct Case {
    const char* name;
    std::optional<std::int64_t> last;
    std::int64_t now;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"no command yet", std::nullopt, kNow, kNow},
      {"an earlier host's command", kNow - 5'000'000, kNow, kNow},
      {"a small sequence of another writer", 1, kNow, kNow},
      {"two commands within one clock step", kNow, kNow, kNow + 1},
      {"the clock was set back", kNow + 3'600'000'000, kNow, kNow + 3'600'000'001},
      {"the largest sequence there is", kMax, kNow, 0},
      {"one short of -1", -2, -3, 0},
  };
  for (const Case& c : cases) {
    const std::int64_t next = nextSequence(c.last, c.now);
    EXPECT_EQ(next, c.expected) << c.name;
    if (c.last) {
      EXPECT_NE(next, *c.last) << c.name;
    }
    EXPECT_NE(next, -1) << c.name;
  }
}

TEST(NextSequence, CommandsInQuickSuccessionAllDiffer) {
  std::optional<std::int64_t> last;
  for (int i = 0; i < 5; ++i) {
    const std::int64_t next = nextSequence(last, kNow);
    if (last) {
      EXPECT_GT(next, *last);
    }
    last = next;
  }
}

TEST(NextShowBytes, AlwaysDifferFromTheFilesBytes) {
  EXPECT_EQ(nextShowBytes(std::nullopt, 42), "42");
  EXPECT_EQ(nextShowBytes(std::string("41"), 42), "42");
  EXPECT_EQ(nextShowBytes(std::string(""), 42), "42");
  EXPECT_EQ(nextShowBytes(std::string("42"), 42), "42+");
}

}  // namespace
}  // namespace installwarden::host
