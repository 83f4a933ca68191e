// What a host's process environment must not change: signals it ignores or blocks, a reader
// of standard error that has gone, a stop signal before the assistant is ready to judge it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "assistant_scene.h"
#include "shell/assistant_launch.h"
#include "standin_files.h"

namespace installwarden::e2e {
namespace {

struct HostileHost {
  const char* name;
  std::vector<std::string> settings;  // options of the with-signals launcher
  friend void PrintTo(const HostileHost& host, std::ostream* out) { *out << host.name; }
};

class HostileHostTest : public ::testing::TestWithParam<HostileHost> {};

TEST_P(HostileHostTest, TheUpdateRunsItsRoadToTheEnd) {
  // An ignored SIGCHLD made every launchctl run fail: the installer looked absent and the
  // update was cancelled as soon as the owner quit.
  AssistantScene scene({.host = GetParam().settings});
  ASSERT_TRUE(scene.driveToStarting());
  scene.startApplication();
  ASSERT_TRUE(scene.awaitPhase("complete")) << scene.diagnostics();
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostileHostTest,
                         ::testing::Values(HostileHost{"ChildSignalIgnored", {"--ignore", "CHLD"}},
                                           HostileHost{"EverythingIgnoredAndBlocked",
                                                       {"--ignore", "ALL", "--block", "ALL"}}),
                         [](const auto& host) { return std::string(host.param.name); });

TEST(HostileHostTest, AGoneReaderOfStandardErrorDoesNotEndTheAssistant) {
  // The host quit and took the read end of the assistant's standard error along; every status
  // write fails and is logged, and the host's cancel still ends the assistant normally.
  AssistantScene scene({.host = {"--stderr-reader-gone"}});
  ASSERT_EQ(::mkdir((scene.root() + "/status.json").c_str(), 0755), 0);
  scene.startOwner();
  scene.writeCommand("cancelled");
  scene.startAssistant();
  const auto ended = scene.awaitAssistantEnd(10s);
  ASSERT_TRUE(ended) << scene.diagnostics();
  EXPECT_TRUE(exitedWith(ended, 0)) << describeWaitStatus(*ended);
}

/// Whether the process has loaded the assistant's GUI library: well into its start, before its
/// stop signal handlers exist.
bool loadedTheAssistantLibrary(pid_t pid) {
  const auto maps = standins::readFile("/proc/" + std::to_string(pid) + "/maps");
  return maps && maps->find(kAssistantLibraryName) != std::string::npos;
}

class EarlyStopSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(EarlyStopSignalTest, IsHeldUntilTheAssistantCanRefuseIt) {
  AssistantScene scene;
  scene.startOwner();
  const pid_t assistant = scene.startAssistant();
  bool loaded = false;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!(loaded = loadedTheAssistantLibrary(assistant)) && scene.assistantRunning() &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(200us);
  }
  ASSERT_TRUE(loaded) << scene.diagnostics();
  ::kill(assistant, GetParam());

  const auto preparing = scene.awaitPhase("preparing");
  const auto ended = scene.processes().endedWith(assistant);
  ASSERT_TRUE(preparing) << (ended ? "ended with " + describeWaitStatus(*ended) + "\n" : "")
                         << scene.diagnostics();
  scene.writeCommand("cancelled");
  EXPECT_TRUE(exitedWith(scene.awaitAssistantEnd(), 0)) << scene.diagnostics();
}

INSTANTIATE_TEST_SUITE_P(Signals, EarlyStopSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& signal) {
                           return std::string(sigabbrev_np(signal.param));
                         });

}  // namespace
}  // namespace installwarden::e2e
