// The road of one update through the built assistant and the stand-ins, and its two ends
// besides completion: a failed start reported by the relaunched application, and an owner that
// quits without an installer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "assistant_scene.h"
#include "standin_files.h"

namespace installwarden::e2e {
namespace {

TEST(UpdateRoadTest, FromPreparingToCompleteEndsWithStatusZero) {
  AssistantScene scene;
  ASSERT_TRUE(scene.driveToStarting());

  scene.startApplication();
  const auto complete = scene.awaitPhase("complete");
  ASSERT_TRUE(complete) << scene.diagnostics();
  EXPECT_EQ(complete->retries, 0);
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
  EXPECT_EQ(scene.kickstarts(), 0);
  EXPECT_NE(scene.installerLog().find("Installed version 2.0.0"), std::string::npos);
}

TEST(UpdateRoadTest, FailedReceiptShowsTheWindowUntilTheHostCancels) {
  AssistantScene scene({.installerRuns = "install 2\n", .receiptOk = false});
  ASSERT_TRUE(scene.driveToStarting());

  scene.startApplication();
  const auto failed = scene.awaitPhase("failed");
  ASSERT_TRUE(failed) << scene.diagnostics();
  EXPECT_TRUE(failed->visible);

  // "failed" is final for termination only: the process stays with its window.
  EXPECT_TRUE(scene.holdsForTicks(3, [](const UpdateStatus& status) {
    return status.phase == "failed" && status.visible;
  })) << scene.diagnostics();

  scene.writeCommand("cancelled");
  ASSERT_TRUE(scene.awaitPhase("cancelled")) << scene.diagnostics();
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
}

enum class JobState { kNoJob, kJobWithoutPid, kJobWhoseProcessEnded };

class OwnerGoneTest : public ::testing::TestWithParam<JobState> {};

TEST_P(OwnerGoneTest, WithoutARunningInstallerTheUpdateIsCancelled) {
  AssistantScene scene;
  const auto& layout = scene.layout();
  switch (GetParam()) {
    case JobState::kNoJob:
      std::filesystem::remove_all(layout.jobDir);
      break;
    case JobState::kJobWithoutPid:
      break;
    case JobState::kJobWhoseProcessEnded: {
      const pid_t ended = scene.startApplication({"stay", "--until", layout.directory});
      ASSERT_TRUE(scene.processes().waitForEnd(ended, 5s));
      ASSERT_TRUE(standins::writeJobPid(layout, ended));
      break;
    }
  }
  scene.startOwner();
  scene.startAssistant();
  ASSERT_TRUE(scene.awaitPhase("preparing")) << scene.diagnostics();

  scene.quitOwner();
  const auto cancelled = scene.awaitPhase("cancelled");
  ASSERT_TRUE(cancelled) << scene.diagnostics();
  EXPECT_FALSE(cancelled->visible);
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
  EXPECT_EQ(scene.installedVersion(), layout.sourceVersion);
}

INSTANTIATE_TEST_SUITE_P(Jobs, OwnerGoneTest,
                         ::testing::Values(JobState::kNoJob, JobState::kJobWithoutPid,
                                           JobState::kJobWhoseProcessEnded),
                         [](const auto& job) {
                           switch (job.param) {
                             case JobState::kNoJob:
                               return "NoJob";
                             case JobState::kJobWithoutPid:
                               return "JobWithoutPid";
                             case JobState::kJobWhoseProcessEnded:
                               return "JobWhoseProcessEnded";
                           }
                           return "Unknown";
                         });

}  // namespace
}  // namespace installwarden::e2e
