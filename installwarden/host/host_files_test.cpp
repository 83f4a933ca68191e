// The files the host writes, read back by the assistant's own readers, and the status it reads.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "host/testing/sample_request.h"
#include "installwarden/host/assistant_status.h"
#include "installwarden/host/commands.h"
#include "installwarden/host/launch_receipt.h"
#include "installwarden/host/update_request.h"
#include "testing/temp_directory.h"
#include "update_state/exchange_records.h"
#include "update_state/process_table.h"
#include "update_state/update_request.h"

namespace installwarden::host {
namespace {

constexpr const char* kId = "3f2a9c4e-7b1d-4e8a-9c62-1d5e0b7a4f93";

using testing::sampleRequest;

class HostFilesTest : public ::testing::Test {
 protected:
  test_support::TempDirectory root;
};

TEST_F(HostFilesTest, WrittenRequestIsExactlyWhatTheAssistantReads) {
  const auto id = writeRequest(root.path(), sampleRequest());
  ASSERT_TRUE(id.ok()) << id.reason();
  EXPECT_TRUE(installwarden::isUuid(*id));

  const auto read = installwarden::validatedRequest(root.path());
  ASSERT_TRUE(read.has_value()) << root.read("request.json");
  const UpdateRequest sample = sampleRequest();
  EXPECT_EQ(read->id, *id);
  EXPECT_EQ(read->appPath, sample.appPath);
  EXPECT_EQ(read->sourceVersion, sample.sourceVersion);
  EXPECT_EQ(read->version, sample.version);
  EXPECT_EQ(read->ownerPid, ::getpid()) << "no owner given: this process";
  EXPECT_EQ(read->jobLabel, sample.jobLabel);
  EXPECT_EQ(read->logPath, sample.logPath);
  EXPECT_EQ(read->logOffset, sample.logOffset);
  EXPECT_EQ(read->messages, sample.messages);

  const auto again = readRequest(root.path());
  ASSERT_TRUE(again.ok()) << again.reason();
  EXPECT_EQ(again->id, *id);
  EXPECT_EQ(again->ownerPid, ::getpid());
  EXPECT_EQ(again->messages, sample.messages);

  // Each update gets its own id; a given id and owner are kept.
  UpdateRequest given = sampleRequest();
  given.id = "3F2A9C4E-7B1D-4E8A-9C62-1D5E0B7A4F93";
  given.ownerPid = 0;
  EXPECT_NE(*writeRequest(root.path(), sampleRequest()), *id);
  EXPECT_EQ(*writeRequest(root.path(), given), given.id);
  EXPECT_EQ(installwarden::validatedRequest(root.path())->ownerPid, 0);
}

TEST_F(HostFilesTest, RequestTheAssistantWouldRefuseIsNotWritten) {
  struct Case {
    const char* name;
    void (*spoil)(UpdateRequest&);
    const char* reason;
  };
  const Case cases[] = {
      {"id with braces", [](UpdateRequest& r) { r.id = "{3f2a9c4e-7b1d-4e8a-9c62-1d5e0b7a4f93}"; },
       "is not a UUID"},
      {"relative path", [](UpdateRequest& r) { r.appPath = "Applications/Q.app"; }, "begin with /"},
      {"path ending in a slash", [](UpdateRequest& r) { r.appPath = "/Applications/Q.app/"; },
       "end in .app"},
      {"path in upper case", [](UpdateRequest& r) { r.appPath = "/Applications/Q.APP"; },
       "end in .app"},
      {"label that is only the suffix", [](UpdateRequest& r) { r.jobLabel = ".ShipIt"; },
       "job label"},
      {"label with a space", [](UpdateRequest& r) { r.jobLabel = "com.q pro.ShipIt"; },
       "job label"},
      {"empty version", [](UpdateRequest& r) { r.version = ""; }, "version"},
      {"text that is not UTF-8", [](UpdateRequest& r) { r.messages["updateTitle"] = "\xff"; },
       "not UTF-8"},
  };
  UpdateRequest earlier = sampleRequest();
  earlier.id = kId;
  ASSERT_TRUE(writeRequest(root.path(), earlier).ok());
  const std::string before = root.read("request.json");
  for (const Case& c : cases) {
    UpdateRequest request = sampleRequest();
    c.spoil(request);
    const auto written = writeRequest(root.path(), request);
    ASSERT_FALSE(written.ok()) << c.name;
    EXPECT_NE(written.reason().find(c.reason), std::string::npos)
        << c.name << ": " << written.reason();
    EXPECT_EQ(root.read("request.json"), before) << c.name;
  }
  EXPECT_FALSE(writeRequest(root.file("missing-folder"), sampleRequest()).ok());
}

TEST_F(HostFilesTest, ReadRequestSaysWhyThereIsNone) {
  EXPECT_NE(readRequest(root.path()).reason().find("no readable"), std::string::npos);
  root.write("request.json", "{\"id\":");
  EXPECT_NE(readRequest(root.path()).reason().find("not a valid request"), std::string::npos);
}

TEST_F(HostFilesTest, EachCommandIsNewToTheAssistant) {
  std::optional<std::int64_t> last;
  for (const Phase phase : {Phase::kReady, Phase::kPreparing, Phase::kClosing, Phase::kInstalling,
                            Phase::kCancelled, Phase::kCancelled}) {
    const auto sent = sendCommand(root.path(), kId, phase);
    ASSERT_TRUE(sent.ok()) << sent.reason();
    const auto read = installwarden::readCommand(root.path());
    ASSERT_TRUE(read.has_value()) << root.read("command.json");
    EXPECT_EQ(read->id, kId);
    EXPECT_EQ(read->phase, phaseName(phase));
    EXPECT_EQ(read->sequence, *sent);
    if (last) {
      EXPECT_GT(*sent, *last) << "the same phase twice is two commands";
    }
    last = *sent;
  }

  // A command left by an earlier host whose clock ran ahead.
  root.write("command.json", "{\"id\":\"" + std::string(kId) +
                                 "\",\"phase\":\"closing\",\"sequence\":9000000000000000000}");
  EXPECT_EQ(*sendCommand(root.path(), kId, Phase::kClosing), 9000000000000000001);
}

TEST_F(HostFilesTest, CommandsTheAssistantDoesNotTakeAreRefused) {
  for (const Phase phase : {Phase::kStarting, Phase::kFailed, Phase::kComplete}) {
    const auto sent = sendCommand(root.path(), kId, phase);
    EXPECT_FALSE(sent.ok()) << phaseName(phase);
    EXPECT_NE(sent.reason().find(phaseName(phase)), std::string::npos) << sent.reason();
  }
  EXPECT_FALSE(sendCommand(root.path(), "not-an-id", Phase::kCancelled).ok());
  EXPECT_FALSE(root.exists("command.json"));
}

TEST_F(HostFilesTest, EveryAskForTheWindowChangesShowJson) {
  std::set<std::string> seen;
  for (int i = 0; i < 5; ++i) {
    const std::string before = root.exists("show.json") ? root.read("show.json") : "<none>";
    ASSERT_TRUE(askForWindow(root.path()).ok());
    EXPECT_NE(root.read("show.json"), before);
  }
  EXPECT_FALSE(askForWindow(root.file("missing-folder")).ok());
}

TEST_F(HostFilesTest, LaunchReportIsWhatTheMonitorReads) {
  ASSERT_TRUE(reportLaunch(root.path(), kId, "2.0.0", false).ok());
  const auto receipt = installwarden::readReceipt(root.path());
  ASSERT_TRUE(receipt.has_value()) << root.read("launched.json");
  EXPECT_EQ(receipt->id, kId);
  EXPECT_EQ(receipt->version, "2.0.0");
  EXPECT_FALSE(receipt->ok);

  EXPECT_NE(reportLaunch(root.path(), "3f2a9c4e", "2.0.0", true).reason().find("no update id"),
            std::string::npos);
  EXPECT_NE(reportLaunch(root.path(), kId, "", true).reason().find("empty version"),
            std::string::npos);
  EXPECT_FALSE(installwarden::readReceipt(root.path())->ok) << "a refused report wrote nothing";
}

std::string statusJson(std::int32_t pid, std::uint64_t birth, const std::string& phase = "failed",
                       const std::string& id = kId) {
  installwarden::UpdateStatus status;
  status.id = id;
  status.pid = pid;
  status.birth = birth;
  status.ownerBirth = 77;
  status.phase = phase;
  status.visible = true;
  status.retries = 2;
  status.logPosition = 4096;
  status.reopenDetected = true;
  return installwarden::encodeStatus(status);
}

TEST_F(HostFilesTest, StatusThatTellsNothingAboutThisUpdateIsAFailureWithItsReason) {
  struct Case {
    const char* name;
    std::optional<std::string> bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"no file yet", std::nullopt, "no readable"},
      {"cut short", statusJson(1, 1).substr(0, 40), "not a valid status"},
      {"another update's", statusJson(1, 1, "installing", "0b7a4f93-1d5e-4e8a-9c62-3f2a9c4e7b1d"),
       "another update"},
      {"the same id in other letter case",
       statusJson(1, 1, "installing", "3F2A9C4E-7B1D-4E8A-9C62-1D5E0B7A4F93"), "another update"},
      {"an unknown phase", statusJson(1, 1, "paused"), "names no phase"},
  };
  for (const Case& c : cases) {
    std::remove(root.file("status.json").c_str());
    if (c.bytes) root.write("status.json", *c.bytes);
    const auto status = readStatus(root.path(), kId);
    ASSERT_FALSE(status.ok()) << c.name;
    EXPECT_NE(status.reason().find(c.reason), std::string::npos)
        << c.name << ": " << status.reason();
  }
}

TEST_F(HostFilesTest, StatusTellsWhetherTheAssistantThatWroteItStillRuns) {
  const std::uint64_t ownBirth = *installwarden::processBirth(::getpid());
  const pid_t child = ::fork();
  if (child == 0) {
    ::pause();
    ::_exit(0);
  }
  ASSERT_GT(child, 0);
  const std::uint64_t childBirth = *installwarden::processBirth(child);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);

  struct Case {
    const char* name;
    std::int32_t pid;
    std::uint64_t birth;
    bool alive;
  };
  const Case cases[] = {
      {"a running process with the written birth", ::getpid(), ownBirth, true},
      {"the pid now held by another process", ::getpid(), ownBirth - 1, false},
      {"a process that has ended", child, childBirth, false},
      {"pid 0", 0, ownBirth, false},
  };
  for (const Case& c : cases) {
    root.write("status.json", statusJson(c.pid, c.birth));
    const auto status = readStatus(root.path(), kId);
    ASSERT_TRUE(status.ok()) << c.name << ": " << status.reason();
    EXPECT_EQ(status->alive, c.alive) << c.name;
    EXPECT_EQ(status->phase, Phase::kFailed);
    EXPECT_TRUE(isFinal(status->phase));
    EXPECT_EQ(status->pid, c.pid);
    EXPECT_EQ(status->birth, c.birth);
    EXPECT_EQ(status->ownerBirth, 77u);
    EXPECT_TRUE(status->visible);
    EXPECT_EQ(status->retries, 2);
    EXPECT_EQ(status->logPosition, 4096u);
    EXPECT_TRUE(status->reopenDetected);
  }
}

}  // namespace
}  // namespace installwarden::host
