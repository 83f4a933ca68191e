// The probe and the detached start, with the built programs and small scripts in their place.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "host/testing/sample_request.h"
#include "installwarden/host/host.h"
#include "os/proc.h"
#include "testing/temp_directory.h"

namespace installwarden::host {
namespace {

using namespace std::chrono_literals;

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

/// An executable shell script named `name` in `folder`.
std::string script(const test_support::TempDirectory& folder, const std::string& name,
                   const std::string& body) {
  folder.write(name, "#!/bin/sh\n" + body + "\n");
  ::chmod(folder.file(name).c_str(), 0755);
  return folder.file(name);
}

using testing::sampleRequest;

TEST(Probe, TypedAnswerOfTheInstalledProgram) {
  test_support::TempDirectory root;
  const auto answer = probe(INSTALLWARDEN_BINARY, root.path(), "/Applications/Q.app", "1.0");
  ASSERT_TRUE(answer.ok()) << answer.reason();
  EXPECT_FALSE(answer->active || answer->block || answer->resume || answer->occupied);
}

TEST(Probe, AProgramThatDoesNotAnswerIsAFailureWithItsReason) {
  test_support::TempDirectory folder;
  struct Case {
    const char* name;
    std::string program;
    const char* reason;
  };
  const Case cases[] = {
      {"missing", folder.file("missing"), "cannot start"},
      {"hangs", script(folder, "hangs", "exec sleep 30"), "no answer within 300 ms"},
      {"prints something else", script(folder, "usage", "echo usage: installwarden"),
       "printed no answer: usage: installwarden"},
      {"fails", script(folder, "fails", "exit 2"), "ended with status 2"},
      {"is killed", script(folder, "killed", "kill -9 $$"), "ended by a signal"},
  };
  for (const Case& c : cases) {
    const auto started = std::chrono::steady_clock::now();
    const auto answer = probe(c.program, folder.path(), "/Applications/Q.app", "1.0", 300ms);
    ASSERT_FALSE(answer.ok()) << c.name;
    EXPECT_NE(answer.reason().find(c.reason), std::string::npos)
        << c.name << ": " << answer.reason();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << c.name;
  }
}

TEST(StartAssistant, RefusesARootWithoutAValidRequest) {
  test_support::TempDirectory folder;
  const std::string program = script(folder, "assistant", "touch \"$1/started\"");
  const auto started = startAssistant(program, folder.path());
  ASSERT_FALSE(started.ok());
  EXPECT_NE(started.reason().find("no valid request.json"), std::string::npos);
  std::this_thread::sleep_for(200ms);
  EXPECT_FALSE(folder.exists("started"));
}

TEST(StartAssistant, GivesTheProgramTheRootAsAnAbsolutePath) {
  test_support::TempDirectory folder;
  ASSERT_TRUE(writeRequest(folder.path(), sampleRequest()).ok());
  const std::string program = script(folder, "assistant",
                                     "printf '%s' \"$1\" > \"$1/argument.part\"; "
                                     "mv \"$1/argument.part\" \"$1/argument\"");
  const auto here = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(folder.path()).parent_path());
  const auto started =
      startAssistant(program, std::filesystem::path(folder.path()).filename().string());
  std::filesystem::current_path(here);
  ASSERT_TRUE(started.ok()) << started.reason();
  ASSERT_TRUE(eventually([&] { return folder.exists("argument"); }));
  EXPECT_EQ(folder.read("argument"), folder.path());
}

/// The real assistant, started by a host process that then ends, steered through the library.
TEST(StartAssistant, TheAssistantOutlivesItsHostAndFollowsItsCommands) {
  test_support::TempDirectory root;
  test_support::TempDirectory launchd;
  // Headless, against an empty launchd stand-in: this test process is the owner, so the
  // assistant waits in "preparing" until told otherwise.
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  ::setenv("LAUNCHD_STANDIN_DIR", launchd.path().c_str(), 1);
  const auto id = writeRequest(root.path(), sampleRequest());
  ASSERT_TRUE(id.ok()) << id.reason();

  int pidPipe[2];
  ASSERT_EQ(::pipe(pidPipe), 0);
  const pid_t host = ::fork();
  if (host == 0) {
    const auto started = startAssistant(INSTALLWARDEN_TEST_BINARY, root.path());
    const pid_t pid = started.ok() ? *started : -1;
    [[maybe_unused]] const auto written = ::write(pidPipe[1], &pid, sizeof pid);
    ::_exit(started.ok() ? 0 : 1);
  }
  ::close(pidPipe[1]);
  pid_t assistant = -1;
  ASSERT_EQ(::read(pidPipe[0], &assistant, sizeof assistant),
            static_cast<ssize_t>(sizeof assistant));
  ::close(pidPipe[0]);
  int hostStatus = 0;
  ASSERT_EQ(::waitpid(host, &hostStatus, 0), host);
  ASSERT_TRUE(WIFEXITED(hostStatus) && WEXITSTATUS(hostStatus) == 0);
  ASSERT_GT(assistant, 0);

  const auto statusNow = [&] { return readStatus(root.path(), *id); };
  ASSERT_TRUE(eventually([&] {
    const auto status = statusNow();
    return status.ok() && status->phase == Phase::kPreparing && status->alive;
  })) << statusNow().reason();
  EXPECT_EQ(statusNow()->pid, assistant);
  EXPECT_NE(os::readProcStat(assistant)->parentPid, ::getpid());

  ASSERT_TRUE(askForWindow(root.path()).ok());
  EXPECT_TRUE(eventually([&] { return statusNow().ok() && statusNow()->visible; }));
  ASSERT_TRUE(sendCommand(root.path(), *id, Phase::kReady).ok());
  EXPECT_TRUE(eventually([&] {
    const auto status = statusNow();
    return status.ok() && status->phase == Phase::kReady && !status->visible;
  }));

  const auto answer = probe(INSTALLWARDEN_TEST_BINARY, root.path(), sampleRequest().appPath,
                            sampleRequest().sourceVersion);
  ASSERT_TRUE(answer.ok()) << answer.reason();
  EXPECT_TRUE(answer->active && answer->block && answer->occupied && !answer->resume);

  ASSERT_TRUE(sendCommand(root.path(), *id, Phase::kCancelled).ok());
  EXPECT_TRUE(eventually([&] {
    const auto status = statusNow();
    return status.ok() && status->phase == Phase::kCancelled && !status->alive;
  })) << statusNow().reason();
}

}  // namespace
}  // namespace installwarden::host
