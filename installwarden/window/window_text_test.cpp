#include "window/window_text.h"

#include <gtest/gtest.h>

namespace installwarden {
namespace {

TEST(WindowTextTest, DetailKeyAndFailedFlagFollowThePhaseExactly) {
  struct Case {
    std::string phase;
    bool slow;
    std::string_view detail;
    bool failed;
  };
  const Case cases[] = {
      {"closing", false, "updateClosing", false},
      {"closing", true, "updateClosing", false},
      {"installing", false, "updateInstalling", false},
      {"installing", true, "updateSlow", false},
      {"starting", false, "updateStarting", false},
      {"starting", true, "updateStarting", false},
      {"failed", false, "updateFailure", true},
      {"failed", true, "updateFailure", true},
      {"preparing", false, "updatePreparing", false},
      {"ready", true, "updatePreparing", false},
      {"complete", false, "updatePreparing", false},
      {"cancelled", false, "updatePreparing", false},
      {"", true, "updatePreparing", false},
      // Near misses are other phases, never the named ones.
      {"Failed", false, "updatePreparing", false},
      {"failed ", false, "updatePreparing", false},
      {"INSTALLING", true, "updatePreparing", false},
      {std::string("failed\0", 7), false, "updatePreparing", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(detailKey(c.phase, c.slow), c.detail) << '"' << c.phase << "\" slow=" << c.slow;
    EXPECT_EQ(isFailedPhase(c.phase), c.failed) << '"' << c.phase << '"';
  }
}

TEST(WindowTextTest, MissingMessageShowsItsKey) {
  const WindowMessages messages = {{"updateTitle", "Updating"}, {"updatetitle", "wrong case"}};
  EXPECT_EQ(messageFor(messages, "updateTitle"), "Updating");
  EXPECT_EQ(messageFor(messages, "updateSlow"), "updateSlow");
  EXPECT_EQ(messageFor({}, "updateHint"), "updateHint");
  EXPECT_EQ(messageFor({{"updateHint", ""}}, "updateHint"), "");
}

TEST(WindowTextTest, StateCombinesHeadingDetailAndFlag) {
  const WindowMessages messages = {{"updateTitle", "Updating"},
                                   {"updateFailedTitle", "Update failed"},
                                   {"updateInstalling", "Installing"},
                                   {"updateFailure", "Could not install"}};
  struct Case {
    std::string phase;
    bool slow;
    WindowState expected;
  };
  const Case cases[] = {
      {"installing", false, {"Updating", "Installing", false}},
      {"installing", true, {"Updating", "updateSlow", false}},
      {"failed", false, {"Update failed", "Could not install", true}},
      {"preparing", false, {"Updating", "updatePreparing", false}},
  };
  for (const auto& c : cases) {
    const WindowState state = windowState(messages, c.phase, c.slow);
    EXPECT_EQ(state.heading, c.expected.heading) << c.phase;
    EXPECT_EQ(state.detail, c.expected.detail) << c.phase;
    EXPECT_EQ(state.failed, c.expected.failed) << c.phase;
  }
  const WindowState bare = windowState({}, "failed", false);
  EXPECT_EQ(bare.heading, "updateFailedTitle");
  EXPECT_EQ(bare.detail, "updateFailure");
}

}  // namespace
}  // namespace installwarden
