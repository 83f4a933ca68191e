#include "window/window_text.h"

#include <gtest/gtest.h>

namespace installwarden {
namespace {

TEST(WindowTextTest, DetailKeyAndFailedFlagFollowThePhase) {
  struct Case {
    Phase phase;
    bool slow;
    std::string_view detail;
    bool failed;
  };
  const Case cases[] = {
      {Phase::kClosing, false, "updateClosing", false},
      {Phase::kClosing, true, "updateClosing", false},
      {Phase::kInstalling, false, "updateInstalling", false},
      {Phase::kInstalling, true, "updateSlow", false},
      {Phase::kStarting, false, "updateStarting", false},
      {Phase::kStarting, true, "updateStarting", false},
      {Phase::kFailed, false, "updateFailure", true},
      {Phase::kFailed, true, "updateFailure", true},
      {Phase::kPreparing, false, "updatePreparing", false},
      {Phase::kReady, true, "updatePreparing", false},
      {Phase::kComplete, false, "updatePreparing", false},
      {Phase::kCancelled, false, "updatePreparing", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(detailKey(c.phase, c.slow), c.detail) << phaseName(c.phase) << " slow=" << c.slow;
    EXPECT_EQ(windowState({}, c.phase, c.slow).failed, c.failed) << phaseName(c.phase);
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
    Phase phase;
    bool slow;
    WindowState expected;
  };
  const Case cases[] = {
      {Phase::kInstalling, false, {"Updating", "Installing", false}},
      {Phase::kInstalling, true, {"Updating", "updateSlow", false}},
      {Phase::kFailed, false, {"Update failed", "Could not install", true}},
      {Phase::kPreparing, false, {"Updating", "updatePreparing", false}},
  };
  for (const auto& c : cases) {
    const WindowState state = windowState(messages, c.phase, c.slow);
    EXPECT_EQ(state.heading, c.expected.heading) << phaseName(c.phase);
    EXPECT_EQ(state.detail, c.expected.detail) << phaseName(c.phase);
    EXPECT_EQ(state.failed, c.expected.failed) << phaseName(c.phase);
  }
  const WindowState bare = windowState({}, Phase::kFailed, false);
  EXPECT_EQ(bare.heading, "updateFailedTitle");
  EXPECT_EQ(bare.detail, "updateFailure");
}

}  // namespace
}  // namespace installwarden
