#include "update_state/installer_job.h"

#include <gtest/gtest.h>

#include "update_state/testing/fakes.h"

namespace installwarden {
namespace {

constexpr uid_t kUid = 501;
const std::string kGui = "gui/501/com.example.q.ShipIt";
const std::string kSystem = "system/com.example.q.ShipIt";
const std::string kProgram =
    "\tprogram = /Apps/Q.app/Contents/Frameworks/Squirrel.framework/Resources/ShipIt\n";

UpdateRequest request() {
  UpdateRequest r;
  r.appPath = "/Apps/Q.app";
  r.jobLabel = "com.example.q.ShipIt";
  return r;
}

/// What the launchd stand-in prints for a job.
std::string described(const std::string& target, const std::string& body) {
  return target + " = {\n" + body + "}\n";
}

struct Answer {
  std::int32_t status;
  std::string body;
};

struct LookupCase {
  const char* name;
  std::optional<Answer> gui;
  std::optional<Answer> system;
  std::optional<std::string> expectedTarget;  // nothing: no job
  bool expectedRunning;
  friend void PrintTo(const LookupCase& c, std::ostream* out) { *out << c.name; }
};

class JobLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(JobLookup, FindsTheOwnedJob) {
  const auto& c = GetParam();
  testing::FakeLaunchctl launchctl;
  testing::FakeProcessTable processes;
  processes.add(300, 1);  // pid 301 is dead
  if (c.gui) launchctl.describe(kGui, described(kGui, c.gui->body), c.gui->status);
  if (c.system) launchctl.describe(kSystem, described(kSystem, c.system->body), c.system->status);

  const auto job = installerJob(request(), launchctl, processes, kUid);
  ASSERT_EQ(job.has_value(), c.expectedTarget.has_value());
  if (job) {
    EXPECT_EQ(job->target, *c.expectedTarget);
    EXPECT_EQ(job->running, c.expectedRunning);
  }
  // The user's domain is always asked first, "system" only when the first is not accepted.
  ASSERT_FALSE(launchctl.calls.empty());
  EXPECT_EQ(launchctl.calls[0], (std::vector<std::string>{"print", kGui}));
  const bool guiAccepted = job && job->target == kGui;
  EXPECT_EQ(launchctl.calls.size(), guiAccepted ? 1u : 2u);
  if (!guiAccepted) {
    EXPECT_EQ(launchctl.calls[1], (std::vector<std::string>{"print", kSystem}));
  }
}

const std::string kPid300 = "\tpid = 300\n";
const std::string kOtherCopy =
    "\tprogram = /Other/Q.app/Contents/Frameworks/Squirrel.framework/Resources/ShipIt\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, JobLookup,
    ::testing::Values(
        LookupCase{"UserDomainRunning", Answer{0, kProgram + kPid300}, std::nullopt, kGui, true},
        LookupCase{"OnlyInSystem", std::nullopt, Answer{0, kProgram + kPid300}, kSystem, true},
        LookupCase{"BothDomainsUserWins", Answer{0, kProgram}, Answer{0, kProgram + kPid300}, kGui,
                   false},
        LookupCase{"UserDomainOtherCopySystemWins", Answer{0, kOtherCopy + kPid300},
                   Answer{0, kProgram}, kSystem, false},
        LookupCase{"OtherCopyEverywhere", Answer{0, kOtherCopy}, Answer{0, kOtherCopy},
                   std::nullopt, false},
        LookupCase{"PathLine",
                   Answer{0, "\tpath = /Apps/Q.app/Contents/Frameworks/Squirrel.framework/x\n"},
                   std::nullopt, kGui, false},
        LookupCase{"MarkerInsideIndentedLongerLine",
                   Answer{0,
                          "\t\targuments = { program = /Apps/Q.app/Contents/Frameworks/"
                          "Squirrel.framework/Resources/ShipIt }\n"},
                   std::nullopt, kGui, false},
        LookupCase{"MarkerAfterAnotherKey",
                   Answer{0, "\tbundle = /Apps/Q.app/Contents/Frameworks/Squirrel.framework/\n"},
                   std::nullopt, std::nullopt, false},
        LookupCase{"MarkerWithoutTrailingSlash",
                   Answer{0, "\tprogram = /Apps/Q.app/Contents/Frameworks/Squirrel.framework\n"},
                   std::nullopt, std::nullopt, false},
        LookupCase{"PrintFailsDespiteDescription", Answer{1, kProgram + kPid300}, std::nullopt,
                   std::nullopt, false},
        LookupCase{"NoPidLine", Answer{0, kProgram}, std::nullopt, kGui, false},
        LookupCase{"DeadPid", Answer{0, kProgram + "\tpid = 301\n"}, std::nullopt, kGui, false},
        LookupCase{"NowhereToBeFound", std::nullopt, std::nullopt, std::nullopt, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(JobLookup, EmptyOutputIsNotOwned) {
  // The runner turns output that is not UTF-8 into "": that domain is skipped.
  testing::FakeLaunchctl launchctl;
  testing::FakeProcessTable processes;
  launchctl.describe(kGui, "");
  EXPECT_FALSE(installerJob(request(), launchctl, processes, kUid).has_value());
}

TEST(JobLookup, ToolThatCannotStartFindsNothing) {
  testing::FakeLaunchctl launchctl;
  testing::FakeProcessTable processes;
  launchctl.describe(kGui, "", -1);
  launchctl.describe(kSystem, "", -1);
  EXPECT_FALSE(installerJob(request(), launchctl, processes, kUid).has_value());
}

struct PidCase {
  const char* name;
  std::string description;
  std::optional<std::int32_t> pid;
  friend void PrintTo(const PidCase& c, std::ostream* out) { *out << c.name; }
};

class DescribedPid : public ::testing::TestWithParam<PidCase> {};

TEST_P(DescribedPid, TakesTheFirstWholePidLine) {
  EXPECT_EQ(describedPid(GetParam().description), GetParam().pid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DescribedPid,
    ::testing::Values(PidCase{"Indented", "a = {\n\tpid = 300\n}\n", 300},
                      PidCase{"AtStartAndEndOfText", "pid = 300", 300},
                      PidCase{"TrailingSpacesAndTabs", "\tpid = 300 \t \n", 300},
                      PidCase{"TextAfterNumber", "\tpid = 300 (running)\n", std::nullopt},
                      PidCase{"TextBeforePid", "\tlast pid = 300\n", std::nullopt},
                      PidCase{"NoSpacesAroundEquals", "\tpid=300\n", std::nullopt},
                      PidCase{"TwoSpacesAfterEquals", "\tpid =  300\n", std::nullopt},
                      PidCase{"Zero", "\tpid = 0\n", std::nullopt},
                      PidCase{"Negative", "\tpid = -5\n", std::nullopt},
                      PidCase{"LeadingZeros", "\tpid = 0042\n", 42},
                      PidCase{"Int32Max", "\tpid = 2147483647\n", 2147483647},
                      PidCase{"AboveInt32", "\tpid = 2147483648\n", std::nullopt},
                      PidCase{"Huge", "\tpid = 99999999999999999999999\n", std::nullopt},
                      PidCase{"FirstOfTwo", "\tpid = 5\n\tpid = 6\n", 5},
                      PidCase{"FirstWholeLineCounts", "\tpid = 5 x\n\tpid = 6\n", 6},
                      PidCase{"NonAsciiDigitsMatchFirst", "\tpid = \u0663\n\tpid = 7\n",
                              std::nullopt},
                      PidCase{"UnicodeSpaceIndent", "\u00A0pid = 8\n", 8},
                      PidCase{"CrLf", "\tpid = 9\r\n}", 9},
                      PidCase{"CarriageReturnOnly", "\tpid = 9\r}", 9},
                      PidCase{"LineSeparator", "\tpid = 9\u2028}", 9},
                      PidCase{"NoPidLine", "\tstate = waiting\n", std::nullopt}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(JobLookup, PidZeroIsNotAskedAbout) {
  testing::FakeLaunchctl launchctl;
  testing::FakeProcessTable processes;
  processes.add(0, 1);
  launchctl.describe(kGui, described(kGui, kProgram + "\tpid = 0\n"));
  const auto job = installerJob(request(), launchctl, processes, kUid);
  ASSERT_TRUE(job.has_value());
  EXPECT_FALSE(job->running);
  EXPECT_TRUE(processes.asked.empty());
}

}  // namespace
}  // namespace installwarden
