// The tick: request check, commands, show requests, the owner watch, window refresh, publish.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
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

using Events = std::vector<std::string>;

class TickTest : public ::testing::Test, protected AssistantHarness {};

struct CommandCase {
  const char* name;
  std::string commandJson;  // written as command.json before the first tick
  std::string expectedPhase;
  Events expectedEvents;
  bool ends;
};

class CommandTick : public ::testing::TestWithParam<CommandCase>, protected AssistantHarness {};

TEST_P(CommandTick, AppliesANewCommandOfThisUpdate) {
  const CommandCase& c = GetParam();
  root.write("command.json", c.commandJson);
  const auto assistant = start();
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), c.expectedPhase);
  EXPECT_EQ(window.events, c.expectedEvents);
  EXPECT_EQ(application.terminations, c.ends ? 1 : 0);
  EXPECT_EQ(publishedPhase(), c.expectedPhase);
}

std::string command(const std::string& phase, const std::string& sequence = "3",
                    const std::string& id = kRequestId) {
  return R"({"id":")" + id + R"(","phase":")" + phase + R"(","sequence":)" + sequence + "}";
}

INSTANTIATE_TEST_SUITE_P(
    Tick, CommandTick,
    ::testing::Values(
        CommandCase{"Ready", command("ready"), "ready", {"hide", "update ready"}, false},
        CommandCase{
            "Preparing", command("preparing"), "preparing", {"hide", "update preparing"}, false},
        CommandCase{"Closing", command("closing"), "closing", {"forward", "update closing"}, false},
        CommandCase{"Installing",
                    command("installing"),
                    "installing",
                    {"forward", "update installing"},
                    false},
        CommandCase{"Cancelled", command("cancelled"), "cancelled", {}, true},
        CommandCase{
            "StartingIsNotACommand", command("starting"), "preparing", {"update preparing"}, false},
        CommandCase{
            "FailedIsNotACommand", command("failed"), "preparing", {"update preparing"}, false},
        CommandCase{
            "CompleteIsNotACommand", command("complete"), "preparing", {"update preparing"}, false},
        CommandCase{"UnknownPhase", command("Closing"), "preparing", {"update preparing"}, false},
        CommandCase{"OtherLetterCaseOfTheId",
                    command("closing", "3", "0f8e4c52-9b1d-4e7a-a3c6-2d5b8f901a7e"),
                    "preparing",
                    {"update preparing"},
                    false},
        CommandCase{"SequenceAsString",
                    command("closing", "\"3\""),
                    "preparing",
                    {"update preparing"},
                    false},
        CommandCase{"PhaseMissing",
                    R"({"id":")" + std::string(kRequestId) + R"(","sequence":3})",
                    "preparing",
                    {"update preparing"},
                    false},
        CommandCase{"SequenceMinusOneIsNeverNew",
                    command("closing", "-1"),
                    "preparing",
                    {"update preparing"},
                    false},
        CommandCase{"NotJson", "closing", "preparing", {"update preparing"}, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(TickTest, EachSequenceNumberIsUsedOnceWhateverItsPhase) {
  struct Step {
    std::string phase;
    std::int64_t sequence;
    std::string expectedPhase;
  };
  const std::vector<Step> steps = {
      {"closing", 5, "closing"},      {"ready", 5, "closing"},  // same number: not applied again
      {"ready", 3, "ready"},                                    // lower number: applied
      {"bogus", 8, "ready"},                                    // unknown phase uses the number up
      {"closing", 8, "ready"},        {"installing", 9, "installing"},
      {"preparing", 10, "preparing"},  // applied in any phase
  };
  const auto assistant = start();
  for (const Step& step : steps) {
    writeCommand(step.phase, step.sequence);
    assistant->tick();
    EXPECT_EQ(phaseName(assistant->phase()), step.expectedPhase)
        << step.phase << " " << step.sequence;
  }
}

TEST_F(TickTest, CommandLeftByAnEarlierAssistantIsAppliedAgainAfterARestart) {
  writeCommand("closing", 4);
  start()->tick();
  window.events.clear();

  const auto restarted = start();
  restarted->tick();
  EXPECT_EQ(phaseName(restarted->phase()), "closing");
  EXPECT_EQ(window.events, (Events{"forward", "update closing"}));
}

TEST(TickCancel, CancelCommandEndsEvenAFailedOrInstallingUpdate) {
  for (const bool failed : {false, true}) {
    AssistantHarness world;
    world.writeCommand("installing", 1);
    if (failed) world.writeReceipt(kRequestId, world.request.version, false);
    const auto assistant = world.start();
    assistant->tick();
    ASSERT_EQ(phaseName(assistant->phase()), failed ? "failed" : "installing");

    world.writeCommand("cancelled", 2);
    assistant->tick();
    EXPECT_EQ(world.publishedPhase(), "cancelled");
    EXPECT_EQ(world.application.terminations, 1);
  }
}

TEST_F(TickTest, InstallingCommandRunsTheMonitorInTheSameTick) {
  installVersion(request.version);
  writeCommand("installing", 1);
  const auto assistant = start();
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), "starting");
  EXPECT_EQ(window.events, (Events{"forward", "update starting"}));
}

TEST_F(TickTest, ShowRequestsBringTheWindowForwardOnEveryChange) {
  struct Step {
    const char* what;
    std::optional<std::string> show;  // nothing removes show.json
    bool forward;
  };
  const std::vector<Step> steps = {
      {"absent", std::nullopt, false},
      {"created", "1", true},
      {"unchanged", "1", false},
      {"changed byte", "2", true},
      {"longer", "22", true},
      {"removed", std::nullopt, false},
      {"back with the same bytes", "22", true},
      {"emptied", "", true},
      {"still empty", "", false},
  };
  const auto assistant = start();
  for (const Step& step : steps) {
    if (step.show) {
      root.write("show.json", *step.show);
    } else {
      std::filesystem::remove(root.file("show.json"));
    }
    window.events.clear();
    assistant->tick();
    const Events expected =
        step.forward ? Events{"forward", "update preparing"} : Events{"update preparing"};
    EXPECT_EQ(window.events, expected) << step.what;
  }
}

TEST_F(TickTest, ShowRequestFollowsTheCommandInTheSameTick) {
  writeCommand("ready", 1);
  root.write("show.json", "please");
  const auto assistant = start();
  assistant->tick();
  EXPECT_EQ(window.events, (Events{"hide", "forward", "update ready"}));
  EXPECT_TRUE(status()->visible);
}

TEST_F(TickTest, ShowPathThatIsNotAFileCountsAsAbsent) {
  ASSERT_EQ(::mkfifo(root.file("show.json").c_str(), 0600), 0);
  const auto assistant = start();
  assistant->tick();
  EXPECT_EQ(window.events, (Events{"update preparing"}));
}

struct RequestCase {
  const char* name;
  std::optional<std::string> requestJson;  // nothing removes request.json
  bool cancels;
};

class RequestTick : public ::testing::TestWithParam<RequestCase>, protected AssistantHarness {};

TEST_P(RequestTick, WithdrawnRequestCancelsBeforeAnythingElse) {
  const RequestCase& c = GetParam();
  const auto assistant = start();
  assistant->tick();
  window.events.clear();

  if (c.requestJson) {
    root.write("request.json", *c.requestJson);
  } else {
    std::filesystem::remove(root.file("request.json"));
  }
  writeCommand("closing", 1);
  assistant->tick();
  EXPECT_EQ(application.terminations, c.cancels ? 1 : 0);
  EXPECT_EQ(publishedPhase(), c.cancels ? "cancelled" : "closing");
  if (c.cancels) {
    EXPECT_TRUE(window.events.empty()) << "nothing may run after a cancel";
  }
}

std::string requestJson(const std::string& id, const std::string& version) {
  return R"({"id":")" + id +
         R"(","appPath":"/Applications/Example.app","sourceVersion":"1",)"
         R"("version":")" +
         version +
         R"(","ownerPid":1,"jobLabel":"com.example.app.ShipIt",)"
         R"("logPath":"/tmp/x.log","logOffset":0,"messages":{}})";
}

INSTANTIATE_TEST_SUITE_P(
    Tick, RequestTick,
    ::testing::Values(RequestCase{"Removed", std::nullopt, true},
                      RequestCase{"OtherId",
                                  requestJson("1F8E4C52-9B1D-4E7A-A3C6-2D5B8F901A7E", "2"), true},
                      RequestCase{"Invalid", requestJson(kRequestId, ""), true},
                      RequestCase{"NotJson", "{", true},
                      RequestCase{"SameIdOtherFields", requestJson(kRequestId, "9.9.9"), false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(TickTest, WaitsIndefinitelyWhileTheOwnerRuns) {
  const auto assistant = start();
  for (int i = 0; i < 10; ++i) {
    assistant->tick();
    clock.advance(3600);
  }
  EXPECT_EQ(phaseName(assistant->phase()), "preparing");
  EXPECT_TRUE(launchctl.script.calls.empty());
  EXPECT_EQ(application.terminations, 0);
}

struct OwnerCase {
  const char* name;
  std::int32_t ownerPid;
  bool ownerPidReused;
  Job job;
  std::string expectedPhase;
  Events expectedEvents;
};

class OwnerTick : public ::testing::TestWithParam<OwnerCase>, protected AssistantHarness {};

TEST_P(OwnerTick, OwnerGoneMovesToInstallingOrCancels) {
  const OwnerCase& c = GetParam();
  request.ownerPid = c.ownerPid;
  writeRequest(request);
  const auto assistant = start();
  ownerQuits();
  if (c.ownerPidReused) processes.add(kOwnerPid, kOwnerBirth + 1);
  setJob(c.job);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), c.expectedPhase);
  EXPECT_EQ(publishedPhase(), c.expectedPhase);
  EXPECT_EQ(window.events, c.expectedEvents);
  EXPECT_EQ(application.terminations, c.expectedPhase == "cancelled" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Tick, OwnerTick,
    ::testing::Values(
        OwnerCase{"JobRunning",
                  kOwnerPid,
                  false,
                  Job::running,
                  "installing",
                  {"forward", "update installing"}},
        OwnerCase{"PidReusedJobRunning",
                  kOwnerPid,
                  true,
                  Job::running,
                  "installing",
                  {"forward", "update installing"}},
        OwnerCase{"NoJob", kOwnerPid, false, Job::absent, "cancelled", {}},
        OwnerCase{"JobWithoutLiveProcess", kOwnerPid, false, Job::stopped, "cancelled", {}},
        OwnerCase{
            "OwnerPidZero", 0, false, Job::running, "installing", {"forward", "update installing"}},
        OwnerCase{"OwnerPidNegativeNoJob", -1, false, Job::absent, "cancelled", {}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(TickTest, OwnerGoneWhileClosingMovesToInstalling) {
  writeCommand("closing", 1);
  const auto assistant = start();
  assistant->tick();
  ownerQuits();
  setJob(Job::running);
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), "installing");
}

TEST_F(TickTest, SlowOnlyAfterMoreThanNinetySecondsInEveryPhase) {
  writeCommand("installing", 1);
  writeReceipt(kRequestId, request.version, false);
  const auto assistant = start();
  assistant->tick();
  ASSERT_EQ(phaseName(assistant->phase()), "failed");
  EXPECT_EQ(window.events.back(), "update failed");

  clock.advance(90.0);
  assistant->tick();
  EXPECT_EQ(window.events.back(), "update failed");
  clock.advance(0.001);
  assistant->tick();
  EXPECT_EQ(window.events.back(), "update failed slow");

  writeCommand("preparing", 2);
  assistant->tick();
  EXPECT_EQ(window.events.back(), "update preparing slow");
}

TEST_F(TickTest, NothingRunsOnceTheAssistantHasEnded) {
  writeCommand("cancelled", 1);
  const auto assistant = start();
  assistant->tick();
  ASSERT_EQ(application.terminations, 1);
  const std::string statusAfterEnd = root.read("status.json");

  writeCommand("closing", 2);
  root.write("show.json", "1");
  assistant->tick();
  EXPECT_EQ(application.terminations, 1);
  EXPECT_TRUE(window.events.empty());
  EXPECT_EQ(root.read("status.json"), statusAfterEnd);
  EXPECT_EQ(phaseName(assistant->phase()), "cancelled");
}

TEST_F(TickTest, FirstTickRunsWhenLaunchingHasFinished) {
  const auto assistant = start();
  EXPECT_FALSE(root.exists("status.json"));
  assistant->applicationDidFinishLaunching();
  EXPECT_EQ(publishedPhase(), "preparing");
}

}  // namespace
}  // namespace installwarden
