#include "installer_runs.h"

#include <gtest/gtest.h>

#include <string>

#include "standin_files.h"
#include "testing/temp_directory.h"

namespace installwarden::standins {
namespace {

TEST(InstallerRunsTest, ScenarioRunsFollowTheLinesThenRepeatTheLast) {
  test_support::TempDirectory folder;
  ASSERT_TRUE(replaceFile(folder.file("runs"), "still-running 1.5\n\ninstall\n"));
  const auto first = nextRun(folder.file("runs"));
  const auto second = nextRun(folder.file("runs"));
  const auto third = nextRun(folder.file("runs"));
  ASSERT_TRUE(first && second && third);
  EXPECT_EQ(first->action, InstallerAction::kStillRunning);
  EXPECT_DOUBLE_EQ(first->holdSeconds, 1.5);
  EXPECT_EQ(second->action, InstallerAction::kInstall);
  EXPECT_EQ(third->action, InstallerAction::kInstall);
}

TEST(InstallerRunsTest, ScenarioWithABadLineIsUnusable) {
  test_support::TempDirectory folder;
  for (const char* line : {"install soon", "reinstall", "abort -1", "abort 2 3", "install nan"}) {
    EXPECT_FALSE(parseRun(line)) << line;
  }
  ASSERT_TRUE(replaceFile(folder.file("runs"), "install\nexplode\n"));
  EXPECT_FALSE(nextRun(folder.file("runs")));
  EXPECT_FALSE(nextRun(folder.file("missing")));
}

}  // namespace
}  // namespace installwarden::standins
