#include "update_state/phase.h"

#include <gtest/gtest.h>

#include <string>

namespace installwarden {
namespace {

TEST(Phase, EveryPhaseReadsBackFromItsNameAndOnlyTheLastThreeAreFinal) {
  struct Case {
    Phase phase;
    std::string_view name;
    bool final;
  };
  const Case cases[] = {
      {Phase::kPreparing, "preparing", false}, {Phase::kReady, "ready", false},
      {Phase::kClosing, "closing", false},     {Phase::kInstalling, "installing", false},
      {Phase::kStarting, "starting", false},   {Phase::kFailed, "failed", true},
      {Phase::kComplete, "complete", true},    {Phase::kCancelled, "cancelled", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(phaseName(c.phase), c.name);
    EXPECT_EQ(parsePhase(c.name), c.phase) << c.name;
    EXPECT_EQ(isFinal(c.phase), c.final) << c.name;
  }
}

TEST(Phase, NearMissesNameNoPhase) {
  const std::string texts[] = {"",         "Failed",     "failed ",
                               " failed",  "INSTALLING", "cancel",
                               "canceled", "\"ready\"",  std::string("failed\0", 7)};
  for (const std::string& text : texts) {
    EXPECT_EQ(parsePhase(text), std::nullopt) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace installwarden
