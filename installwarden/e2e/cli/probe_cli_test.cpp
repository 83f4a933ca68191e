#include <signal.h>
#include <unistd.h>

#include <thread>

#include "cli_fixture.h"
#include "update_state/exchange_records.h"
#include "update_state/process_table.h"

namespace installwarden::e2e {
namespace {

const std::string kProgram =
    "\tprogram = /Apps/Quorvelin Pro.app/Contents/Frameworks/Squirrel.framework/Resources/"
    "ShipIt\n";

enum class Job { kNone, kRunning, kEnded, kOtherCopy, kSystemRunning, kPrintFails, kNotUtf8 };
enum class Assistant { kNone, kInstalling, kComplete };

struct Scenario {
  const char* name;
  Job job;
  Assistant assistant;
  const char* appPath;
  const char* version;
  const char* expected;
  friend void PrintTo(const Scenario& s, std::ostream* out) { *out << s.name; }
};

/// Installer jobs started through the launchd stand-in, and status files naming an assistant.
class ProbeTest : public CliTest {
 protected:
  void TearDown() override {
    for (const pid_t pid : started) ::kill(pid, SIGKILL);
  }

  /// A job folder whose description names `program`, started through the stand-in.
  void addJob(const std::string& domain, const std::string& programLine, bool start) {
    const auto folder = jobFolder(domain);
    standin.write(folder + "/description", programLine);
    if (!start) return;
    standin.write(folder + "/command", "sleep\n60\n");
    const auto outcome = runProcess({FAKE_LAUNCHCTL_PATH, "kickstart", folder},
                                    {{"LAUNCHD_STANDIN_DIR", standin.path()}});
    ASSERT_EQ(outcome.exitStatus, 0) << outcome.standardError;
    started.push_back(std::stoi(standin.read(folder + "/pid")));
  }

  void setUpJob(Job job) {
    switch (job) {
      case Job::kNone:
        break;
      case Job::kRunning:
        addJob("gui", kProgram, true);
        break;
      case Job::kSystemRunning:
        addJob("system", kProgram, true);
        break;
      case Job::kOtherCopy:
        addJob("gui",
               "\tprogram = /Other/Quorvelin Pro.app/Contents/Frameworks/Squirrel.framework/x\n",
               true);
        break;
      case Job::kEnded: {
        addJob("gui", kProgram, false);
        // A pid that belonged to a process of ours which has ended and been reaped.
        const auto ended = runProcess({"/bin/sh", "-c", "echo $$"});
        standin.write(jobFolder("gui") + "/pid", ended.standardOutput);
        break;
      }
      case Job::kPrintFails:
        addJob("gui", kProgram, true);
        standin.write(jobFolder("gui") + "/print-status", "1");
        break;
      case Job::kNotUtf8:
        addJob("gui", kProgram, true);
        standin.write(jobFolder("gui") + "/print-output",
                      std::string(jobFolder("gui")) + " = {\n" + kProgram +
                          "\tpid = " + std::to_string(started.back()) + "\n\xFF}\n");
        break;
    }
  }

  /// status.json naming this test process, alive with its true birth.
  void setUpAssistant(Assistant assistant) {
    if (assistant == Assistant::kNone) return;
    UpdateStatus status;
    status.id = kRequestId;
    status.pid = static_cast<std::int32_t>(::getpid());
    status.birth = processBirth(status.pid).value_or(0);
    status.phase = assistant == Assistant::kInstalling ? "installing" : "complete";
    root.write("status.json", encodeStatus(status));
  }

  std::vector<pid_t> started;
};

class ProbeCli : public ProbeTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(ProbeCli, PrintsOneLineAndWritesNothing) {
  const auto& s = GetParam();
  root.write("request.json", validRequest());
  setUpJob(s.job);
  setUpAssistant(s.assistant);
  const auto before = rootEntries();

  const auto outcome = probe(s.appPath, s.version);
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.standardOutput, s.expected);
  EXPECT_EQ(rootEntries(), before);
}

constexpr char kJobAlone[] = R"({"active":true,"block":true,"resume":true,"occupied":false})"
                             "\n";
constexpr char kAssistantAtWork[] = R"({"active":true,"block":true,"resume":false,"occupied":true})"
                                    "\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeCli,
    ::testing::Values(
        Scenario{"RequestNoJob", Job::kNone, Assistant::kNone, kAppPath, "1.0", kAllFalse},
        Scenario{"JobRunning", Job::kRunning, Assistant::kNone, kAppPath, "1.0", kJobAlone},
        Scenario{"JobRunningOtherVersion", Job::kRunning, Assistant::kNone, kAppPath, "2.0",
                 R"({"active":true,"block":false,"resume":true,"occupied":false})"
                 "\n"},
        Scenario{"JobRunningInSystemDomain", Job::kSystemRunning, Assistant::kNone, kAppPath, "1.0",
                 kJobAlone},
        Scenario{"JobProcessEnded", Job::kEnded, Assistant::kNone, kAppPath, "1.0", kAllFalse},
        Scenario{"JobOfAnotherCopy", Job::kOtherCopy, Assistant::kNone, kAppPath, "1.0", kAllFalse},
        Scenario{"PrintFails", Job::kPrintFails, Assistant::kNone, kAppPath, "1.0", kAllFalse},
        Scenario{"PrintNotUtf8", Job::kNotUtf8, Assistant::kNone, kAppPath, "1.0", kAllFalse},
        Scenario{"AssistantInstallingNoJob", Job::kNone, Assistant::kInstalling, kAppPath, "1.0",
                 kAssistantAtWork},
        Scenario{"AssistantAndJob", Job::kRunning, Assistant::kInstalling, kAppPath, "1.0",
                 kAssistantAtWork},
        Scenario{"AssistantComplete", Job::kNone, Assistant::kComplete, kAppPath, "1.0",
                 R"({"active":false,"block":false,"resume":false,"occupied":true})"
                 "\n"},
        Scenario{"AppPathWithTrailingSlash", Job::kRunning, Assistant::kInstalling,
                 "/Apps/Quorvelin Pro.app/", "1.0", kAllFalse}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct HostileHost {
  const char* name;
  std::vector<std::string> settings;  // options of the with-signals launcher
  friend void PrintTo(const HostileHost& host, std::ostream* out) { *out << host.name; }
};

class ProbeUnderAHostileHost : public ProbeTest,
                               public ::testing::WithParamInterface<HostileHost> {};

TEST_P(ProbeUnderAHostileHost, AnswersAsUnderAnyOther) {
  root.write("request.json", validRequest());
  setUpJob(Job::kRunning);
  std::vector<std::string> arguments = GetParam().settings;
  arguments.insert(arguments.end(),
                   {"--", INSTALLWARDEN_TEST_BINARY, "--probe", root.path(), kAppPath, "1.0"});
  const auto outcome = run(arguments, WITH_SIGNALS_BINARY);
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.standardOutput, kJobAlone);
}

INSTANTIATE_TEST_SUITE_P(Hosts, ProbeUnderAHostileHost,
                         ::testing::Values(HostileHost{"ChildSignalIgnored", {"--ignore", "CHLD"}},
                                           HostileHost{"ChildSignalBlocked", {"--block", "CHLD"}},
                                           HostileHost{"EverythingIgnoredAndBlocked",
                                                       {"--ignore", "ALL", "--block", "ALL"}}),
                         [](const auto& host) { return std::string(host.param.name); });

TEST_F(CliTest, ProbeOnAnEmptyDirectory) {
  for (const char* program : {INSTALLWARDEN_TEST_BINARY, INSTALLWARDEN_BINARY}) {
    const auto outcome = probe(kAppPath, "1.0", program);
    EXPECT_EQ(outcome.exitStatus, 0) << program;
    EXPECT_EQ(outcome.standardOutput, kAllFalse) << program;
    EXPECT_TRUE(rootEntries().empty()) << program;
  }
  EXPECT_FALSE(standin.exists("calls.log")) << "no request, no launchctl run";
}

TEST_F(CliTest, ProbeWithoutMatchingRequestRunsNoLaunchctl) {
  root.write("request.json", validRequest());
  EXPECT_EQ(probe("/Apps/Other.app").standardOutput, kAllFalse);
  EXPECT_FALSE(standin.exists("calls.log"));
  EXPECT_EQ(probe().standardOutput, kAllFalse);
  EXPECT_EQ(standin.read("calls.log"),
            "print " + jobFolder("gui") + "\nprint " + jobFolder("system") + "\n");
}

TEST_F(CliTest, ShippedProbeWithoutLaunchctlStillSeesTheAssistant) {
  // The shipped program runs /bin/launchctl, which this machine does not have: the job counts
  // as not running and the other rules still apply.
  root.write("request.json", validRequest());
  UpdateStatus status;
  status.id = kRequestId;
  status.pid = static_cast<std::int32_t>(::getpid());
  status.birth = processBirth(status.pid).value_or(0);
  status.phase = "installing";
  root.write("status.json", encodeStatus(status));
  EXPECT_EQ(probe(kAppPath, "1.0", INSTALLWARDEN_BINARY).standardOutput,
            R"({"active":true,"block":true,"resume":false,"occupied":true})"
            "\n");
}

}  // namespace
}  // namespace installwarden::e2e
