// Creation, status publishing, the termination rule and reopening.
#include "assistant/assistant.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/capability.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "assistant/testing/assistant_harness.h"

namespace installwarden {
namespace {

using testing::AssistantHarness;
using testing::Job;
using testing::kOwnBirth;
using testing::kOwnerBirth;
using testing::kOwnerPid;
using testing::kOwnPid;
using testing::kRequestId;

class AssistantTest : public ::testing::Test, protected AssistantHarness {};

struct RestoreCase {
  const char* name;
  std::string statusBytes;  // "" leaves status.json absent
  std::int32_t ownerPid;
  std::uint64_t ownerBirth;
  std::int64_t retries;
  std::uint64_t logPosition;
  bool reopenDetected;
};

class AssistantRestore : public ::testing::TestWithParam<RestoreCase>,
                         protected AssistantHarness {};

TEST_P(AssistantRestore, TakesOverOnlyTheStateOfTheSameUpdate) {
  const RestoreCase& c = GetParam();
  request.ownerPid = c.ownerPid;
  request.logOffset = 17;
  writeRequest(request);
  if (!c.statusBytes.empty()) root.write("status.json", c.statusBytes);

  const auto assistant = start();
  EXPECT_EQ(assistant->ownerBirth(), c.ownerBirth);
  EXPECT_EQ(assistant->retries(), c.retries);
  EXPECT_EQ(assistant->logPosition(), c.logPosition);
  EXPECT_EQ(assistant->reopenDetected(), c.reopenDetected);
  EXPECT_EQ(phaseName(assistant->phase()), "preparing");
  EXPECT_TRUE(window.events.empty());
}

std::string previousStatus(const std::string& id, std::uint64_t ownerBirth = 5555) {
  return R"({"id":")" + id + R"(","pid":77,"birth":99,"ownerBirth":)" + std::to_string(ownerBirth) +
         R"(,"phase":"failed","visible":true,"retries":2,"logPosition":123456,)"
         R"("reopenDetected":true})";
}

INSTANTIATE_TEST_SUITE_P(
    Creation, AssistantRestore,
    ::testing::Values(
        RestoreCase{"SameId", previousStatus(kRequestId), kOwnerPid, 5555, 2, 123456, true},
        RestoreCase{"NoStatus", "", kOwnerPid, kOwnerBirth, 0, 17, false},
        RestoreCase{"OtherId", previousStatus("1F8E4C52-9B1D-4E7A-A3C6-2D5B8F901A7E"), kOwnerPid,
                    kOwnerBirth, 0, 17, false},
        RestoreCase{"SameUuidOtherLetterCase",
                    previousStatus("0f8e4c52-9b1d-4e7a-a3c6-2d5b8f901a7e"), kOwnerPid, kOwnerBirth,
                    0, 17, false},
        RestoreCase{"Malformed", R"({"id":")" + std::string(kRequestId) + R"(","retries":"2"})",
                    kOwnerPid, kOwnerBirth, 0, 17, false},
        RestoreCase{"OwnerPidZero", "", 0, 0, 0, 17, false},
        RestoreCase{"OwnerPidNegative", "", -5, 0, 0, 17, false},
        RestoreCase{"OwnerWithoutProcess", "", 999, 0, 0, 17, false}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(AssistantTest, RestartKeepsTheOwnerIdentityEvenAfterThePidWasReused) {
  start()->tick();
  ASSERT_EQ(status()->ownerBirth, kOwnerBirth);

  // The owner quits, the assistant is killed, and a stranger gets the owner's pid.
  processes.remove(kOwnerPid);
  processes.add(kOwnerPid, kOwnerBirth + 1);
  setJob(Job::running);
  const auto restarted = start();
  EXPECT_EQ(restarted->ownerBirth(), kOwnerBirth);
  restarted->tick();
  EXPECT_EQ(phaseName(restarted->phase()), "installing");
}

TEST_F(AssistantTest, PublishWritesItsOwnIdentityAndTheWindowState) {
  root.write("status.json", previousStatus(kRequestId, kOwnerBirth));
  ASSERT_EQ(::chmod(root.file("status.json").c_str(), 0644), 0);
  const auto assistant = start();
  assistant->tick();

  const auto written = status();
  ASSERT_TRUE(written);
  EXPECT_EQ(written->id, kRequestId);
  EXPECT_EQ(written->pid, kOwnPid);
  EXPECT_EQ(written->birth, kOwnBirth);
  EXPECT_EQ(written->ownerBirth, kOwnerBirth);
  EXPECT_EQ(written->phase, "preparing");
  EXPECT_FALSE(written->visible);
  EXPECT_EQ(written->retries, 2);
  EXPECT_EQ(written->logPosition, 123456u);
  EXPECT_TRUE(written->reopenDetected);
  struct stat info {};
  ASSERT_EQ(::stat(root.file("status.json").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  root.write("show.json", "{}");
  assistant->tick();
  EXPECT_TRUE(status()->visible);
}

TEST_F(AssistantTest, FailedStatusWriteIsLoggedOncePerAttemptAndTheAssistantGoesOn) {
  std::filesystem::create_directory(root.file("status.json"));
  const auto assistant = start();
  assistant->tick();
  assistant->tick();

  ASSERT_EQ(log.lines.size(), 2u);
  for (const auto& line : log.lines) {
    EXPECT_TRUE(line.starts_with("Installwarden could not save its status: ")) << line;
    EXPECT_GT(line.size(), std::string("Installwarden could not save its status: ").size());
  }
  EXPECT_EQ(phaseName(assistant->phase()), "preparing");
  EXPECT_EQ(application.terminations, 0);
  for (const auto& entry : std::filesystem::directory_iterator(root.path())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with(".status.json"))
        << "temporary file left behind: " << entry.path();
  }

  std::filesystem::remove(root.file("status.json"));
  assistant->tick();
  EXPECT_EQ(log.lines.size(), 2u);
  EXPECT_EQ(publishedPhase(), "preparing");
}

/// While alive, file permissions bind the calling thread even when it runs as root: the
/// capability to override them is out of its effective set.
class PermissionsBind {
 public:
  PermissionsBind() {
    cap_t capabilities = cap_get_proc();
    cap_flag_value_t effective = CAP_CLEAR;
    cap_get_flag(capabilities, CAP_DAC_OVERRIDE, CAP_EFFECTIVE, &effective);
    dropped_ = effective == CAP_SET && setOverride(capabilities, CAP_CLEAR);
    cap_free(capabilities);
  }
  ~PermissionsBind() {
    if (!dropped_) return;
    cap_t capabilities = cap_get_proc();
    setOverride(capabilities, CAP_SET);
    cap_free(capabilities);
  }
  PermissionsBind(const PermissionsBind&) = delete;
  PermissionsBind& operator=(const PermissionsBind&) = delete;

 private:
  static bool setOverride(cap_t capabilities, cap_flag_value_t value) {
    const cap_value_t override[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH};
    return cap_set_flag(capabilities, CAP_EFFECTIVE, 2, override, value) == 0 &&
           cap_set_proc(capabilities) == 0;
  }
  bool dropped_ = false;
};

/// Whether a file can be created in `folder` now.
bool canCreateIn(const std::string& folder) {
  const std::string probe = folder + "/probe";
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(probe.c_str());
  return true;
}

TEST_F(AssistantTest, ReadOnlyRootIsLoggedAndTheAssistantGoesOn) {
  // Root (CI runs as root) included: the folder's mode binds everyone while this lives.
  const PermissionsBind binding;
  ASSERT_EQ(::chmod(root.path().c_str(), 0555), 0);
  EXPECT_FALSE(canCreateIn(root.path())) << "the root is still writable";
  const auto assistant = start();
  assistant->tick();
  ::chmod(root.path().c_str(), 0755);
  EXPECT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(phaseName(assistant->phase()), "preparing");
  EXPECT_EQ(application.terminations, 0);
}

struct TerminationCase {
  const char* name;
  std::string commandPhase;  // applied at the first tick; "" for none
  bool receipt;              // a matching receipt with ok = false turns "installing" into failed
  std::string expectedPhase;
  bool mayTerminate;
};

class TerminationRule : public ::testing::TestWithParam<TerminationCase>,
                        protected AssistantHarness {};

TEST_P(TerminationRule, GrantedOnlyInFinalPhases) {
  const TerminationCase& c = GetParam();
  if (!c.commandPhase.empty()) writeCommand(c.commandPhase, 1);
  if (c.receipt) writeReceipt(kRequestId, request.version, false);
  const auto assistant = start();
  assistant->tick();
  EXPECT_EQ(phaseName(assistant->phase()), c.expectedPhase);
  EXPECT_EQ(assistant->shouldTerminate(), c.mayTerminate);
}

INSTANTIATE_TEST_SUITE_P(
    Assistant, TerminationRule,
    ::testing::Values(TerminationCase{"Preparing", "", false, "preparing", false},
                      TerminationCase{"Ready", "ready", false, "ready", false},
                      TerminationCase{"Closing", "closing", false, "closing", false},
                      TerminationCase{"Installing", "installing", false, "installing", false},
                      TerminationCase{"Failed", "installing", true, "failed", true},
                      TerminationCase{"Cancelled", "cancelled", false, "cancelled", true}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

class ReopenTest : public AssistantTest {
 protected:
  /// An assistant whose installation failed: the job has stopped, the old version is on disk.
  std::shared_ptr<Assistant> failedAssistant() {
    writeCommand("installing", 1);
    writeReceipt(kRequestId, request.version, false);
    setJob(Job::stopped);
    auto assistant = start();
    assistant->tick();
    EXPECT_EQ(phaseName(assistant->phase()), "failed");
    return assistant;
  }
};

TEST_F(ReopenTest, RefusedSilentlyWhileTheJobRunsOrWithoutAReadableVersion) {
  const auto assistant = failedAssistant();
  setJob(Job::running);
  assistant->reopen();
  EXPECT_TRUE(workspace.opened.empty());

  setJob(Job::absent);
  std::filesystem::remove(root.file("Example.app/Contents/Info.plist"));
  assistant->reopen();
  EXPECT_TRUE(workspace.opened.empty());
  EXPECT_EQ(phaseName(assistant->phase()), "failed");
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(ReopenTest, OpensWhateverVersionIsOnDiskAndEndsCancelledOnSuccess) {
  const auto assistant = failedAssistant();
  std::string phaseAtTermination;
  application.onTerminate = [&] { phaseAtTermination = publishedPhase(); };

  assistant->reopen();
  ASSERT_EQ(workspace.opened, std::vector<std::string>{request.appPath});
  EXPECT_EQ(phaseName(assistant->phase()),
            "failed");  // nothing changes until the completion arrives

  workspace.complete();
  EXPECT_EQ(phaseName(assistant->phase()), "cancelled");
  EXPECT_EQ(application.terminations, 1);
  EXPECT_EQ(phaseAtTermination, "cancelled");
}

TEST_F(ReopenTest, FailedOpenChangesNothingAndMayBeRetried) {
  const auto assistant = failedAssistant();
  const auto eventsBefore = window.events;
  assistant->reopen();
  workspace.complete(common::Failure{"The application could not be started"});
  EXPECT_EQ(phaseName(assistant->phase()), "failed");
  EXPECT_EQ(publishedPhase(), "failed");
  EXPECT_EQ(window.events, eventsBefore);
  EXPECT_EQ(application.terminations, 0);

  assistant->reopen();
  EXPECT_EQ(workspace.opened.size(), 2u);
  workspace.complete();
  EXPECT_EQ(application.terminations, 1);
}

TEST_F(ReopenTest, CompletionAfterTheAssistantIsGoneOrHasEndedDoesNothing) {
  {
    const auto assistant = failedAssistant();
    assistant->reopen();
  }
  workspace.complete();
  EXPECT_EQ(application.terminations, 0);
  EXPECT_EQ(publishedPhase(), "failed");

  const auto assistant = start();
  assistant->reopen();
  assistant->reopen();
  workspace.complete();
  workspace.complete();  // the process is already ending
  EXPECT_EQ(application.terminations, 1);
}

}  // namespace
}  // namespace installwarden
