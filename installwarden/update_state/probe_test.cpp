#include "update_state/probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "testing/temp_directory.h"
#include "update_state/exchange_records.h"
#include "update_state/testing/fakes.h"

namespace installwarden {
namespace {

using nlohmann::json;

constexpr uid_t kUid = 501;
const char kId[] = "6f9619ff-8b86-d011-b42d-00c04fc964ff";
const char kOtherId[] = "00000000-0000-0000-0000-000000000000";
const char kAppPath[] = "/Apps/Q.app";
const std::string kGui = "gui/501/com.example.q.ShipIt";
const std::string kProgram =
    "\tprogram = /Apps/Q.app/Contents/Frameworks/Squirrel.framework/Resources/ShipIt\n";
constexpr std::int32_t kAssistantPid = 500;
constexpr std::uint64_t kAssistantBirth = 1'700'000'000'000'000;
constexpr std::int32_t kJobPid = 300;

std::string requestJson() {
  return json{{"id", kId},
              {"appPath", kAppPath},
              {"sourceVersion", "1.0"},
              {"version", "2.0"},
              {"ownerPid", 1},
              {"jobLabel", "com.example.q.ShipIt"},
              {"logPath", "/tmp/log"},
              {"logOffset", 0},
              {"messages", json::object()}}
      .dump();
}

enum class Status { kNone, kAlive, kOtherIdAlive, kPidReused, kDead, kPidZero };
enum class Job { kNone, kIdle, kRunning };

struct ProbeCase {
  const char* name;
  Status status;
  const char* statusPhase;
  const char* commandPhase;  // nullptr: no command.json
  const char* commandId;
  Job job;
  const char* version;
  ProbeAnswer expected;
  friend void PrintTo(const ProbeCase& c, std::ostream* out) { *out << c.name; }
};

std::string statusJson(Status kind, const char* phase) {
  UpdateStatus status;
  status.id = kind == Status::kOtherIdAlive ? kOtherId : kId;
  status.pid = kind == Status::kPidZero ? 0 : kind == Status::kDead ? 777 : kAssistantPid;
  status.birth = kind == Status::kPidReused ? kAssistantBirth - 1 : kAssistantBirth;
  status.phase = phase;
  return encodeStatus(status);
}

class ProbeRules : public ::testing::TestWithParam<ProbeCase> {
 protected:
  test_support::TempDirectory root;
  testing::FakeLaunchctl launchctl;
  testing::FakeProcessTable processes;
};

TEST_P(ProbeRules, Answers) {
  const auto& c = GetParam();
  root.write("request.json", requestJson());
  if (c.status != Status::kNone) root.write("status.json", statusJson(c.status, c.statusPhase));
  if (c.commandPhase != nullptr) {
    root.write("command.json",
               json{{"id", c.commandId}, {"phase", c.commandPhase}, {"sequence", 1}}.dump());
  }
  processes.add(kAssistantPid, kAssistantBirth);
  processes.add(0, kAssistantBirth);  // must never be asked about
  processes.add(kJobPid, 1);
  if (c.job == Job::kIdle) launchctl.describe(kGui, kGui + " = {\n" + kProgram + "}\n");
  if (c.job == Job::kRunning) {
    launchctl.describe(kGui, kGui + " = {\n" + kProgram + "\tpid = 300\n}\n");
  }

  const auto answer = probe(root.path(), kAppPath, c.version, launchctl, processes, kUid);
  EXPECT_EQ(encodeProbeAnswer(answer), encodeProbeAnswer(c.expected));
  EXPECT_TRUE(std::none_of(processes.asked.begin(), processes.asked.end(),
                           [](std::int32_t pid) { return pid < 1; }));
}

constexpr ProbeAnswer kNothing{false, false, false, false};
constexpr ProbeAnswer kAliveAtWork{true, true, false, true};
constexpr ProbeAnswer kAliveDone{false, false, false, true};
constexpr ProbeAnswer kJobAlone{true, true, true, false};

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeRules,
    ::testing::Values(
        ProbeCase{"NoStatusNoJob", Status::kNone, "", nullptr, kId, Job::kNone, "1.0", kNothing},
        ProbeCase{"AliveInstallingBetweenInstallerRuns", Status::kAlive, "installing", nullptr, kId,
                  Job::kIdle, "1.0", kAliveAtWork},
        ProbeCase{"AlivePreparingWithOtherCommand", Status::kAlive, "preparing", "ready", kId,
                  Job::kNone, "1.0", kAliveAtWork},
        ProbeCase{"AliveButCancelledByCommand", Status::kAlive, "ready", "cancelled", kId,
                  Job::kNone, "1.0", kAliveDone},
        ProbeCase{"CancelCommandForOtherId", Status::kAlive, "ready", "cancelled", kOtherId,
                  Job::kNone, "1.0", kAliveAtWork},
        ProbeCase{"AliveComplete", Status::kAlive, "complete", nullptr, kId, Job::kNone, "1.0",
                  kAliveDone},
        ProbeCase{"AliveFailed", Status::kAlive, "failed", nullptr, kId, Job::kNone, "1.0",
                  kAliveDone},
        ProbeCase{"AliveCancelled", Status::kAlive, "cancelled", nullptr, kId, Job::kNone, "1.0",
                  kAliveDone},
        // Text that names no phase is no final phase and no cancel: the update reads as going on.
        ProbeCase{"AliveInAPhaseOfUnknownName", Status::kAlive, "Complete", nullptr, kId,
                  Job::kNone, "1.0", kAliveAtWork},
        ProbeCase{"CancelCommandOfUnknownName", Status::kAlive, "ready", "cancelled ", kId,
                  Job::kNone, "1.0", kAliveAtWork},
        ProbeCase{"JobRunningNoAssistant", Status::kNone, "", nullptr, kId, Job::kRunning, "1.0",
                  kJobAlone},
        ProbeCase{"JobRunningAssistantDead", Status::kDead, "installing", nullptr, kId,
                  Job::kRunning, "1.0", kJobAlone},
        ProbeCase{"JobRunningAssistantAlive", Status::kAlive, "installing", nullptr, kId,
                  Job::kRunning, "1.0", kAliveAtWork},
        ProbeCase{"JobRunningOverridesCancelAndFinish", Status::kAlive, "cancelled", "cancelled",
                  kId, Job::kRunning, "1.0", kAliveAtWork},
        ProbeCase{"JobRunningWithCancelCommandOnly", Status::kNone, "", "cancelled", kId,
                  Job::kRunning, "1.0", kJobAlone},
        ProbeCase{"JobIdleNoAssistant", Status::kNone, "", nullptr, kId, Job::kIdle, "1.0",
                  kNothing},
        ProbeCase{"StatusOfOtherRequestAlive", Status::kOtherIdAlive, "installing", nullptr, kId,
                  Job::kNone, "1.0", kNothing},
        ProbeCase{"StatusPidReused", Status::kPidReused, "installing", nullptr, kId, Job::kNone,
                  "1.0", kNothing},
        ProbeCase{"StatusPidZero", Status::kPidZero, "installing", nullptr, kId, Job::kNone, "1.0",
                  kNothing},
        ProbeCase{"VersionIsTheTargetNotTheSource", Status::kAlive, "installing", nullptr, kId,
                  Job::kNone, "2.0", ProbeAnswer{true, false, false, true}},
        ProbeCase{"VersionDiffersWithJobRunning", Status::kNone, "", nullptr, kId, Job::kRunning,
                  "0.9", ProbeAnswer{true, false, true, false}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

class ProbeWithoutUsableRequest : public ::testing::Test {
 protected:
  test_support::TempDirectory root;
  testing::FakeLaunchctl launchctl;
  testing::FakeProcessTable processes;
};

TEST_F(ProbeWithoutUsableRequest, AnswersAllFalseWithoutAskingAnyone) {
  // A running job and a live assistant would make every other answer true.
  launchctl.describe(kGui, kGui + " = {\n" + kProgram + "\tpid = 300\n}\n");
  processes.add(kJobPid, 1);
  processes.add(kAssistantPid, kAssistantBirth);
  root.write("status.json", statusJson(Status::kAlive, "installing"));

  const std::string validRequest = requestJson();
  struct Case {
    const char* name;
    std::optional<std::string> request;
    const char* appPath;
  };
  for (const Case& c :
       {Case{"no request", std::nullopt, kAppPath}, Case{"invalid request", "{}", kAppPath},
        Case{"path with trailing slash", validRequest, "/Apps/Q.app/"},
        Case{"other bundle", validRequest, "/Apps/Other.app"}}) {
    if (c.request) root.write("request.json", *c.request);
    launchctl.calls.clear();
    processes.asked.clear();
    const auto answer = probe(root.path(), c.appPath, "1.0", launchctl, processes, kUid);
    EXPECT_EQ(encodeProbeAnswer(answer), encodeProbeAnswer(kNothing)) << c.name;
    EXPECT_TRUE(launchctl.calls.empty()) << c.name;
    EXPECT_TRUE(processes.asked.empty()) << c.name;
  }
}

TEST(ProbeAnswerEncoding, FixedKeyOrder) {
  EXPECT_EQ(encodeProbeAnswer({true, false, true, false}),
            R"({"active":true,"block":false,"resume":true,"occupied":false})");
}

}  // namespace
}  // namespace installwarden
