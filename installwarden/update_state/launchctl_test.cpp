#include "update_state/launchctl.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>

#include "testing/temp_directory.h"

namespace installwarden {
namespace {

using std::chrono::milliseconds;

LaunchctlResult shell(const std::string& script, milliseconds timeout = milliseconds(10'000)) {
  return LaunchctlRunner("/bin/sh", timeout).run({"-c", script});
}

TEST(LaunchctlRunner, PassesArgumentsUnchangedAndReturnsStdoutUntrimmed) {
  const auto result = LaunchctlRunner("/bin/sh").run(
      {"-c", "printf '%s|' \"$@\"; printf '  \\n'", "sh", "a b", "", "c"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, "a b||c|  \n");
}

TEST(LaunchctlRunner, ReturnsTheExitStatusAndDiscardsStderr) {
  const auto result = shell("echo out; echo err >&2; exit 3");
  EXPECT_EQ(result.exitStatus, 3);
  EXPECT_EQ(result.output, "out\n");
}

TEST(LaunchctlRunner, ReadsOutputLargerThanThePipeBuffer) {
  const auto result = shell("head -c 300000 /dev/zero | tr '\\000' a");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, std::string(300000, 'a'));
}

TEST(LaunchctlRunner, InheritsTheEnvironment) {
  ::setenv("IW_RUNNER_INHERITED", "yes", 1);
  EXPECT_EQ(shell("printf %s \"$IW_RUNNER_INHERITED\"").output, "yes");
}

TEST(LaunchctlRunner, OutputThatIsNotUtf8BecomesEmpty) {
  const auto result = shell("printf 'pid = 5\\n\\377'");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, "");
}

TEST(LaunchctlRunner, ToolThatCannotStartFails) {
  test_support::TempDirectory dir;
  dir.write("not-executable", "#!/bin/sh\necho hi\n");
  for (const auto& tool : {dir.file("missing"), dir.file("not-executable"), dir.path()}) {
    const auto result = LaunchctlRunner(tool).run({"print", "system/x.ShipIt"});
    EXPECT_EQ(result.exitStatus, std::nullopt) << tool;
    EXPECT_EQ(result.output, "") << tool;
  }
}

TEST(LaunchctlRunner, DeathBySignalFails) {
  const auto result = shell("echo partial; kill -9 $$");
  EXPECT_EQ(result.exitStatus, std::nullopt);
  EXPECT_EQ(result.output, "");
}

TEST(LaunchctlRunner, ToolThatOutlivesTheBoundIsKilled) {
  struct Case {
    const char* name;
    const char* script;
  };
  for (const Case& hung : {Case{"never closes stdout", "echo started; exec sleep 30"},
                           Case{"closes stdout, keeps running", "exec >&-; exec sleep 30"}}) {
    const auto started = std::chrono::steady_clock::now();
    const auto result = shell(hung.script, milliseconds(200));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(result.exitStatus, std::nullopt) << hung.name;
    EXPECT_EQ(result.output, "") << hung.name;
    EXPECT_LT(elapsed, std::chrono::seconds(5)) << hung.name;
  }
}

// The launchd stand-in as the runner sees it: the contract tests and the demo rely on.
class RunnerAgainstStandIn : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("LAUNCHD_STANDIN_DIR", state.path().c_str(), 1); }
  LaunchctlResult run(const std::vector<std::string>& arguments,
                      milliseconds timeout = milliseconds(10'000)) {
    return LaunchctlRunner(FAKE_LAUNCHCTL_PATH, timeout).run(arguments);
  }
  test_support::TempDirectory state;
  const std::string job = "gui/501/com.example.ShipIt";
};

TEST_F(RunnerAgainstStandIn, HangIsCutOffAtTheBound) {
  state.write(job + "/hang", "");
  const auto started = std::chrono::steady_clock::now();
  const auto result = run({"print", job}, milliseconds(300));
  EXPECT_EQ(result.exitStatus, std::nullopt);
  EXPECT_EQ(result.output, "");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(RunnerAgainstStandIn, PrintsDescriptionsAndFaults) {
  EXPECT_EQ(run({"print", job}).exitStatus, 113);
  state.write(job + "/description", "\tprogram = /A.app/X\n");
  EXPECT_EQ(run({"print", job}).exitStatus, 0);
  EXPECT_EQ(run({"print", job}).output, job + " = {\n\tprogram = /A.app/X\n}\n");
  state.write(job + "/print-status", "5\n");
  EXPECT_EQ(run({"print", job}).exitStatus, 5);
  state.write(job + "/print-output", "\xC3(");
  EXPECT_EQ(run({"print", job}).output, "");
  EXPECT_EQ(run({"bogus", job}).exitStatus, 64);
  std::string fivePrints;
  for (int i = 0; i < 5; ++i) fivePrints += "print " + job + "\n";
  EXPECT_EQ(state.read("calls.log"), fivePrints) << "a bad verb is not a call";
}

TEST_F(RunnerAgainstStandIn, KickstartStartsTheCommandAndPrintShowsItsPid) {
  state.write(job + "/description", "\tprogram = /A.app/X\n");
  state.write(job + "/command", "sleep\n30\n");
  ASSERT_EQ(run({"kickstart", job}).exitStatus, 0);
  const int pid = std::stoi(state.read(job + "/pid"));
  EXPECT_NE(run({"print", job}).output.find("\tpid = " + std::to_string(pid) + "\n"),
            std::string::npos);
  ::kill(pid, SIGKILL);
}

TEST(RunnerAgainstStandInWithoutState, FailsWithUsageStatus) {
  ::unsetenv("LAUNCHD_STANDIN_DIR");
  EXPECT_EQ(LaunchctlRunner(FAKE_LAUNCHCTL_PATH).run({"print", "system/x.ShipIt"}).exitStatus, 64);
}

}  // namespace
}  // namespace installwarden
