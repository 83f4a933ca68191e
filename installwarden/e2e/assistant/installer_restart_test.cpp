// The installer after the owner has gone: a restart of the job once it reported that the
// application was still running (and none while a copy of it runs), failure when the installer
// stays away, and an assistant restarted mid-way that carries on where the last one stopped.
#include <gtest/gtest.h>
#include <signal.h>

#include "assistant_scene.h"
#include "standin_files.h"

namespace installwarden::e2e {
namespace {

/// Owner and first installer run started, assistant started, owner quit, "installing" seen.
void driveToInstalling(AssistantScene& scene) {
  scene.startOwner();
  scene.startFirstInstallerRun();
  scene.startAssistant();
  ASSERT_TRUE(scene.awaitPhase("preparing")) << scene.diagnostics();
  scene.quitOwner();
  ASSERT_TRUE(scene.awaitPhase("installing")) << scene.diagnostics();
}

bool reopenNoticed(const UpdateStatus& status) { return status.reopenDetected; }

TEST(InstallerRestartTest, AJobThatFoundTheApplicationRunningIsKickstartedOnce) {
  AssistantScene scene({.installerRuns = "still-running 2\ninstall 1\n"});
  ASSERT_NO_FATAL_FAILURE(driveToInstalling(scene));

  ASSERT_TRUE(scene.awaitStatus(reopenNoticed)) << scene.diagnostics();
  const auto restarted = scene.awaitStatus(
      [](const UpdateStatus& status) { return status.retries == 1 && !status.reopenDetected; });
  ASSERT_TRUE(restarted) << scene.diagnostics();
  ASSERT_TRUE(scene.awaitPhase("starting")) << scene.diagnostics();
  EXPECT_EQ(scene.kickstarts(), 1);

  scene.startApplication();
  const auto complete = scene.awaitPhase("complete");
  ASSERT_TRUE(complete) << scene.diagnostics();
  EXPECT_EQ(complete->retries, 1);
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
}

TEST(InstallerRestartTest, NoKickstartWhileACopyOfTheApplicationRunsFromTheBundle) {
  AssistantScene scene({.installerRuns = "still-running 2\ninstall 1\n"});
  scene.startRunningCopy();
  ASSERT_NO_FATAL_FAILURE(driveToInstalling(scene));
  ASSERT_TRUE(scene.awaitStatus(reopenNoticed)) << scene.diagnostics();

  // Past the 3-second restart delay and the 15-second failure limit (34 ticks of at least
  // 475 ms, the timer's slack): the copy holds both off.
  EXPECT_TRUE(scene.holdsForTicks(34, [&](const UpdateStatus& status) {
    return scene.kickstarts() == 0 && status.phase == "installing" && status.retries == 0 &&
           status.reopenDetected;
  })) << scene.diagnostics();

  scene.stopRunningCopy();
  ASSERT_TRUE(scene.awaitStatus([](const UpdateStatus& status) { return status.retries == 1; }))
      << scene.diagnostics();
  ASSERT_TRUE(scene.awaitPhase("starting")) << scene.diagnostics();
  EXPECT_EQ(scene.kickstarts(), 1);
}

TEST(InstallerRestartTest, ARefusedKickstartFailsTheUpdateAtOnce) {
  AssistantScene scene({.installerRuns = "still-running 2\ninstall 1\n"});
  ASSERT_TRUE(standins::replaceFile(scene.layout().jobDir + "/kickstart-status", "5\n"));
  ASSERT_NO_FATAL_FAILURE(driveToInstalling(scene));

  const auto failed = scene.awaitPhase("failed");
  ASSERT_TRUE(failed) << scene.diagnostics();
  EXPECT_EQ(failed->retries, 1);
  EXPECT_TRUE(failed->visible);
  EXPECT_EQ(scene.kickstarts(), 1);
  EXPECT_EQ(scene.installedVersion(), scene.layout().sourceVersion);
}

TEST(InstallerRestartTest, AnInstallerAwayForMoreThanFifteenSecondsFailsTheUpdate) {
  AssistantScene scene({.installerRuns = "abort 2\n"});
  ASSERT_NO_FATAL_FAILURE(driveToInstalling(scene));
  ASSERT_TRUE(eventually(
      [&] { return scene.installerLog().find("Installation failed") != std::string::npos; }, 5s));
  const auto jobEnded = std::chrono::steady_clock::now();

  const auto failed = scene.awaitPhase("failed", 25s);
  const auto waited = std::chrono::steady_clock::now() - jobEnded;
  ASSERT_TRUE(failed) << scene.diagnostics();
  EXPECT_TRUE(failed->visible);
  EXPECT_GE(waited, 14500ms) << "failed before the installer was away for 15 seconds";
  EXPECT_EQ(scene.kickstarts(), 0);
  EXPECT_EQ(scene.installedVersion(), scene.layout().sourceVersion);
  EXPECT_TRUE(scene.assistantRunning());
}

TEST(InstallerRestartTest, ARestartedAssistantKeepsRetriesLogPositionAndOwner) {
  // The second run holds long, so the assistant is killed while the installer works.
  AssistantScene scene({.installerRuns = "still-running 2\ninstall 60\n"});
  ASSERT_NO_FATAL_FAILURE(driveToInstalling(scene));
  // The retry is published just before the kickstart runs: wait for the kickstart itself, or
  // the kill could land between the two and leave no installer to follow.
  const auto before = scene.awaitStatus([&](const UpdateStatus& status) {
    return status.retries == 1 && scene.kickstarts() == 1 &&
           status.logPosition == scene.installerLog().size();
  });
  ASSERT_TRUE(before) << scene.diagnostics();
  ASSERT_GT(before->logPosition, 0u);

  ::kill(before->pid, SIGKILL);
  ASSERT_TRUE(scene.awaitAssistantEnd());
  const pid_t second = scene.startAssistant();
  const auto after = scene.awaitPhase("installing");
  ASSERT_TRUE(after) << scene.diagnostics();

  EXPECT_EQ(after->pid, second);
  EXPECT_NE(after->birth, before->birth);
  EXPECT_EQ(after->retries, 1);
  EXPECT_EQ(after->logPosition, before->logPosition);
  // The owner is gone, so only the restored start time can still name it.
  EXPECT_EQ(after->ownerBirth, before->ownerBirth);
  // The marker lies before the restored position and is not read again.
  EXPECT_TRUE(scene.holdsForTicks(3, [](const UpdateStatus& status) {
    return !status.reopenDetected;
  })) << scene.diagnostics();
}

}  // namespace
}  // namespace installwarden::e2e
