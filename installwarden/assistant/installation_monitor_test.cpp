// The installation monitor, driven through the tick in "installing" and "starting".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assistant/assistant.h"
#include "assistant/testing/assistant_harness.h"

namespace installwarden {
namespace {

using testing::AssistantHarness;
using testing::Job;
using testing::kOwnerBirth;
using testing::kOwnerPid;
using testing::kRequestId;

const std::string kMarker = "App Still Running Error\n";

/// An assistant the host has told to install; the owner has quit unless a test says otherwise.
class MonitorTest : public ::testing::Test, protected AssistantHarness {
 protected:
  std::shared_ptr<Assistant> installing() {
    writeCommand("installing", 1);
    auto assistant = start();  // takes the owner's birth while it still runs
    ownerQuits();
    return assistant;
  }
  std::size_t printCalls() const {
    std::size_t count = 0;
    for (const auto& call : launchctl.script.calls) count += call.at(0) == "print" ? 1 : 0;
    return count;
  }
};

enum class Owner { alive, gone, pidReused };
enum class Receipt { none, ok, notOk, otherId, otherVersion };

struct StepCase {
  const char* name;
  Receipt receipt;
  bool versionInstalled;
  Owner owner;
  Job job;
  std::string expectedPhase;
  bool ends;
  bool logRead;
  bool jobLookedUp;
};

class MonitorStep : public ::testing::TestWithParam<StepCase>, protected AssistantHarness {};

TEST_P(MonitorStep, DecidesInItsFixedOrder) {
  const StepCase& c = GetParam();
  writeCommand("installing", 1);
  appendLog("installing\n");
  switch (c.receipt) {
    case Receipt::none:
      break;
    case Receipt::ok:
      writeReceipt(kRequestId, request.version, true);
      break;
    case Receipt::notOk:
      writeReceipt(kRequestId, request.version, false);
      break;
    case Receipt::otherId:
      writeReceipt("1F8E4C52-9B1D-4E7A-A3C6-2D5B8F901A7E", request.version, true);
      break;
    case Receipt::otherVersion:
      writeReceipt(kRequestId, "1.0.0", true);
      break;
  }
  if (c.versionInstalled) installVersion(request.version);
  setJob(c.job);
  std::string phaseAtTermination;
  application.onTerminate = [&] { phaseAtTermination = publishedPhase(); };

  const auto assistant = start();
  if (c.owner != Owner::alive) ownerQuits();
  if (c.owner == Owner::pidReused) processes.add(kOwnerPid, kOwnerBirth + 1);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), c.expectedPhase);
  EXPECT_EQ(publishedPhase(), c.expectedPhase);
  EXPECT_EQ(application.terminations, c.ends ? 1 : 0);
  if (c.ends) {
    EXPECT_EQ(phaseAtTermination, c.expectedPhase);
  }
  EXPECT_EQ(assistant->logPosition(), c.logRead ? 11u : 0u);
  EXPECT_EQ(!launchctl.script.calls.empty(), c.jobLookedUp);
  const bool forwardForFailure = c.expectedPhase == "failed";
  EXPECT_EQ(window.events.size(), std::size_t{forwardForFailure ? 3u : (c.ends ? 1u : 2u)});
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, MonitorStep,
    ::testing::Values(
        // name, receipt, version installed, owner, job, phase, ends, log read, job looked up
        StepCase{"GoodReceiptEndsEvenWhileTheJobRuns", Receipt::ok, false, Owner::gone,
                 Job::running, "complete", true, false, false},
        StepCase{"BadReceiptFailsBeforeAnyOtherCheck", Receipt::notOk, true, Owner::gone,
                 Job::running, "failed", false, false, false},
        StepCase{"ReceiptForAnotherIdIsIgnored", Receipt::otherId, false, Owner::gone, Job::running,
                 "installing", false, true, true},
        StepCase{"ReceiptForAnotherVersionIsIgnored", Receipt::otherVersion, false, Owner::gone,
                 Job::running, "installing", false, true, true},
        StepCase{"VersionInstalledWhileTheOwnerRuns", Receipt::none, true, Owner::alive,
                 Job::running, "starting", false, false, false},
        StepCase{"OwnerAliveStopsTheCall", Receipt::none, false, Owner::alive, Job::absent,
                 "installing", false, false, false},
        StepCase{"OwnerPidReusedCountsAsGone", Receipt::none, false, Owner::pidReused, Job::running,
                 "installing", false, true, true},
        StepCase{"VersionInstalledJobRunning", Receipt::none, true, Owner::gone, Job::running,
                 "starting", false, true, true},
        StepCase{"JobAbsentIsNotYetAFailure", Receipt::none, false, Owner::gone, Job::absent,
                 "installing", false, true, true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct IdleCase {
  const char* name;
  bool starting;
  Job job;
  double quietSeconds;  // idle time at which the phase must still hold
  double failSeconds;   // idle time at which it must have failed
};

class IdleFailure : public ::testing::TestWithParam<IdleCase>, protected AssistantHarness {};

TEST_P(IdleFailure, FailsOnlyAfterTheIdleLimit) {
  const IdleCase& c = GetParam();
  writeCommand("installing", 1);
  if (c.starting) installVersion(request.version);
  ownerQuits();
  setJob(c.job);
  const std::string phase = c.starting ? "starting" : "installing";
  const auto assistant = start();
  assistant->tick();  // the idle period starts here
  ASSERT_EQ(phaseName(assistant->phase()), phase);

  clock.advance(c.quietSeconds);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), phase);
  clock.advance(c.failSeconds - c.quietSeconds);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), "failed");
  EXPECT_EQ(publishedPhase(), "failed");
  EXPECT_TRUE(window.events.back().starts_with("update failed")) << window.events.back();
  EXPECT_EQ(window.events[window.events.size() - 2], "forward");
  EXPECT_TRUE(kickstarts().empty());
  EXPECT_EQ(application.terminations, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, IdleFailure,
    ::testing::Values(IdleCase{"InstallingJobAbsent", false, Job::absent, 15.0, 15.001},
                      IdleCase{"InstallingJobStopped", false, Job::stopped, 15.0, 15.001},
                      IdleCase{"StartingJustUnderTwoMinutes", true, Job::absent, 119.999, 120.0}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(MonitorTest, RunningJobOrLiveOwnerRestartsTheIdleClock) {
  const auto assistant = installing();
  setJob(Job::absent);
  assistant->tick();
  clock.advance(10);
  assistant->tick();

  setJob(Job::running);
  assistant->tick();
  setJob(Job::absent);
  clock.advance(10);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), "installing");

  processes.add(kOwnerPid, kOwnerBirth);
  clock.advance(10);
  assistant->tick();
  ownerQuits();
  assistant->tick();
  clock.advance(15.0);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), "installing");
  clock.advance(0.001);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), "failed");
}

TEST_F(MonitorTest, RunningJobNeverFailsHoweverLongItTakes) {
  const auto assistant = installing();
  setJob(Job::running);
  for (int i = 0; i < 20; ++i) {
    assistant->tick();
    clock.advance(60);
  }
  EXPECT_EQ(phaseName(assistant->phase()), "installing");
}

TEST_F(MonitorTest, KickstartAfterMoreThanThreeIdleSecondsOnceEveryCopyHasQuit) {
  appendLog("starting\n" + kMarker);
  setJob(Job::stopped);
  workspace.running = {"/Applications/Other.app", request.appPath};
  std::optional<UpdateStatus> statusAtKickstart;
  launchctl.beforeRun = [&](const std::vector<std::string>& arguments) {
    if (arguments.at(0) == "kickstart") statusAtKickstart = status();
  };
  const auto assistant = installing();
  assistant->tick();
  EXPECT_TRUE(assistant->reopenDetected());

  clock.advance(3.0);
  assistant->tick();
  EXPECT_TRUE(kickstarts().empty());
  clock.advance(600);  // a copy still runs from the bundle path: no kickstart, no failure
  assistant->tick();
  EXPECT_TRUE(kickstarts().empty());
  EXPECT_EQ(phaseName(assistant->phase()), "installing");

  workspace.running = {"/Applications/Other.app"};
  assistant->tick();
  ASSERT_EQ(kickstarts(), (std::vector<std::vector<std::string>>{{"kickstart", jobTarget()}}));
  ASSERT_TRUE(statusAtKickstart);
  EXPECT_EQ(statusAtKickstart->retries, 1);
  EXPECT_FALSE(statusAtKickstart->reopenDetected);
  EXPECT_EQ(assistant->retries(), 1);
  EXPECT_FALSE(assistant->reopenDetected());
  EXPECT_EQ(phaseName(assistant->phase()), "installing");

  // The idle clock starts again after a kickstart: 3 seconds, then 15, count anew.
  clock.advance(15.0);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), "installing");
  clock.advance(15.001);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), "failed");
}

TEST_F(MonitorTest, AtMostTwoKickstartsPerRequestAcrossRestarts) {
  setJob(Job::stopped);
  const auto first = installing();
  for (int round = 0; round < 2; ++round) {
    appendLog(kMarker);
    first->tick();
    clock.advance(3.001);
    first->tick();
  }
  ASSERT_EQ(kickstarts().size(), 2u);
  EXPECT_EQ(first->retries(), 2);

  // A restarted assistant keeps the count, so a third marker leads to failure by time.
  const auto restarted = start();
  appendLog(kMarker);
  restarted->tick();
  EXPECT_TRUE(restarted->reopenDetected());
  clock.advance(15.001);
  restarted->tick();
  EXPECT_EQ(kickstarts().size(), 2u);
  EXPECT_EQ(phaseName(restarted->phase()), "failed");
}

TEST_F(MonitorTest, FailedKickstartFailsTheUpdateAtOnce) {
  for (const std::int32_t status : {1, -1}) {
    AssistantHarness world;
    world.appendLog(kMarker);
    world.setJob(Job::stopped);
    world.setKickstartStatus(status);
    world.writeCommand("installing", 1);
    world.ownerQuits();
    const auto assistant = world.start();
    assistant->tick();
    world.clock.advance(3.5);
    assistant->tick();
    EXPECT_EQ(world.kickstarts().size(), 1u);
    EXPECT_EQ(phaseName(assistant->phase()), "failed") << status;
    EXPECT_EQ(assistant->retries(), 1);
    EXPECT_EQ(world.window.events.back(), "update failed");
  }
}

struct GuardCase {
  const char* name;
  std::int64_t retries;
  bool starting;
  Job job;
  bool marker;
  bool kickstart;
};

class KickstartGuard : public ::testing::TestWithParam<GuardCase>, protected AssistantHarness {};

TEST_P(KickstartGuard, NeedsMarkerRetriesLeftAStoppedJobAndNotStarting) {
  const GuardCase& c = GetParam();
  root.write("status.json", R"({"id":")" + std::string(kRequestId) +
                                R"(","pid":1,"birth":1,"ownerBirth":1,"phase":"installing",)"
                                R"("visible":true,"retries":)" +
                                std::to_string(c.retries) +
                                R"(,"logPosition":0,"reopenDetected":false})");
  if (c.marker) appendLog(kMarker);
  if (c.starting) installVersion(request.version);
  setJob(c.job);
  writeCommand("installing", 1);
  const auto assistant = start();
  assistant->tick();
  clock.advance(3.001);
  assistant->tick();
  EXPECT_EQ(kickstarts().size(), c.kickstart ? 1u : 0u);
  EXPECT_NE(phaseName(assistant->phase()), "failed");
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, KickstartGuard,
    ::testing::Values(GuardCase{"FirstRetry", 0, false, Job::stopped, true, true},
                      GuardCase{"SecondRetry", 1, false, Job::stopped, true, true},
                      GuardCase{"RetriesUsedUp", 2, false, Job::stopped, true, false},
                      GuardCase{"NoMarker", 0, false, Job::stopped, false, false},
                      GuardCase{"JobNotFound", 0, false, Job::absent, true, false},
                      GuardCase{"PhaseStarting", 0, true, Job::stopped, true, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace installwarden
