#include "assistant/running_copy.h"

#include <gtest/gtest.h>

#include <string>

namespace installwarden {
namespace {

TEST(RunningCopy, OnlyTheExactBundlePathCounts) {
  const std::string app = "/Applications/Example.app";
  EXPECT_TRUE(isRunningFrom({"/Applications/Other.app", app}, app));
  EXPECT_FALSE(isRunningFrom({}, app));
  EXPECT_FALSE(isRunningFrom({"/Applications/Other.app"}, app));
  EXPECT_FALSE(isRunningFrom({"/Applications/example.app"}, app));
  // The request's side is not standardised.
  EXPECT_FALSE(isRunningFrom({app}, "/Applications/./Example.app"));
  EXPECT_FALSE(isRunningFrom({app}, app + "/"));
}

}  // namespace
}  // namespace installwarden
