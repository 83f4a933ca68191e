#include "assistant_scene.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "fake_bundle.h"
#include "info_plist.h"
#include "installwarden/host/launch_receipt.h"
#include "standin_files.h"
#include "update_state/testing/status_ticks.h"

namespace installwarden::e2e {

namespace {

std::string outputPath(const standins::UpdateScene& layout) {
  return layout.directory + "/processes.out";
}

/// The pid of a process the scene needs; one that could not start fails the test.
pid_t expectStarted(const common::Result<pid_t>& started) {
  EXPECT_TRUE(started.ok()) << started.reason();
  return started ? *started : -1;
}

/// A file the scene needs written; one that could not be written fails the test.
void expectWritten(const common::Result<void>& written) {
  EXPECT_TRUE(written.ok()) << written.reason();
}

}  // namespace

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(25ms);
  }
}

std::string AssistantScene::makeTemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "iw-e2e-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  return pattern;
}

AssistantScene::AssistantScene(const SceneSetup& setup)
    : layout_(makeTemporaryFolder(), ::getuid()), host_(setup.host) {
  standins::SceneOptions options;
  options.installerBinary = FAKE_INSTALLER_BINARY;
  options.appBinary = FAKE_HOST_BINARY;
  options.installerRuns = setup.installerRuns;
  options.receiptOk = setup.receiptOk;
  expectWritten(standins::createScene(layout_, options));
}

AssistantScene::~AssistantScene() {
  processes_.killAll();
  if (::testing::Test::HasFailure()) {
    std::fprintf(stderr, "Scene kept for inspection: %s\n", layout_.directory.c_str());
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(layout_.directory, ignored);
}

pid_t AssistantScene::startOwner() {
  const std::string executable =
      standins::bundleExecutablePath(layout_.appPath, layout_.executable);
  owner_ = expectStarted(
      processes_.start({executable, "stay", "--until", layout_.directory + "/quit-owner"},
                       headlessEnvironment({}), outputPath(layout_)));
  expectWritten(standins::writeRequest(layout_, owner_));
  return owner_;
}

void AssistantScene::quitOwner() {
  expectWritten(standins::replaceFile(layout_.directory + "/quit-owner", ""));
  EXPECT_TRUE(processes_.waitForEnd(owner_, 5s)) << "the owner did not quit";
}

pid_t AssistantScene::startFirstInstallerRun() {
  auto argv = standins::jobCommand(layout_);
  argv.push_back("--wait-for-pid");
  argv.push_back(std::to_string(owner_));
  const pid_t job =
      expectStarted(processes_.start(argv, headlessEnvironment({}), outputPath(layout_)));
  expectWritten(standins::writeJobPid(layout_, job));
  return job;
}

pid_t AssistantScene::startAssistant() {
  std::vector<std::string> environment{"LAUNCHD_STANDIN_DIR=" + layout_.standinDir};
  if (!display_.empty()) environment.push_back("DISPLAY=" + display_);
  std::vector<std::string> argv{INSTALLWARDEN_TEST_BINARY, layout_.root};
  if (!host_.empty()) {
    std::vector<std::string> launcher{WITH_SIGNALS_BINARY};
    launcher.insert(launcher.end(), host_.begin(), host_.end());
    launcher.push_back("--");
    argv.insert(argv.begin(), launcher.begin(), launcher.end());
  }
  assistant_ =
      expectStarted(processes_.start(argv, headlessEnvironment(environment), outputPath(layout_)));
  return assistant_;
}

pid_t AssistantScene::startApplication(const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{
      standins::bundleExecutablePath(layout_.appPath, layout_.executable)};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return expectStarted(processes_.start(argv, headlessEnvironment({}), outputPath(layout_)));
}

pid_t AssistantScene::startRunningCopy() {
  runningCopy_ = startApplication({"stay", "--until", layout_.directory + "/quit-copy"});
  return runningCopy_;
}

void AssistantScene::stopRunningCopy() {
  expectWritten(standins::replaceFile(layout_.directory + "/quit-copy", ""));
  EXPECT_TRUE(processes_.waitForEnd(runningCopy_, 5s)) << "the running copy did not quit";
}

std::optional<UpdateStatus> AssistantScene::status() const { return readStatus(layout_.root); }

std::string AssistantScene::phaseNow() const {
  const auto current = status();
  return current ? current->phase : "";
}

std::optional<UpdateStatus> AssistantScene::awaitStatus(
    const std::function<bool(const UpdateStatus&)>& condition, std::chrono::milliseconds timeout) {
  std::optional<UpdateStatus> found;
  eventually(
      [&] {
        const auto current = status();
        if (!current || current->pid != assistant_) return false;
        lastSeen_ = current;
        if (condition(*current)) found = current;
        return found.has_value();
      },
      timeout);
  return found;
}

std::optional<UpdateStatus> AssistantScene::awaitPhase(const std::string& phase,
                                                       std::chrono::milliseconds timeout) {
  return awaitStatus([&](const UpdateStatus& status) { return status.phase == phase; }, timeout);
}

bool AssistantScene::holdsForTicks(int ticks,
                                   const std::function<bool(const UpdateStatus&)>& condition) {
  return testing::holdsForTicks(root(), ticks, [&](const UpdateStatus& status) {
    lastSeen_ = status;
    return status.pid == assistant_ && condition(status);
  });
}

std::optional<int> AssistantScene::awaitAssistantEnd(std::chrono::milliseconds timeout) {
  return processes_.waitForEnd(assistant_, timeout);
}

bool AssistantScene::assistantRunning() { return !processes_.endedWith(assistant_); }

std::optional<UpdateStatus> AssistantScene::driveToStarting() {
  startOwner();
  startFirstInstallerRun();
  startAssistant();
  const auto preparing = awaitPhase("preparing");
  EXPECT_TRUE(preparing) << diagnostics();
  if (!preparing) return std::nullopt;
  EXPECT_FALSE(preparing->visible);
  EXPECT_NE(preparing->ownerBirth, 0u) << "the owner's start time was not taken";

  writeCommand("closing");
  const auto closing = awaitStatus(
      [](const UpdateStatus& status) { return status.phase == "closing" && status.visible; });
  EXPECT_TRUE(closing) << diagnostics();

  quitOwner();
  const auto installing = awaitPhase("installing");
  EXPECT_TRUE(installing) << diagnostics();
  if (installing) {
    EXPECT_TRUE(installing->visible);
  }

  const auto starting = awaitPhase("starting");
  EXPECT_TRUE(starting) << diagnostics();
  EXPECT_EQ(installedVersion(), layout_.version);
  return starting;
}

void AssistantScene::writeCommand(const std::string& phase) const {
  expectWritten(standins::writeCommand(layout_, phase));
}

void AssistantScene::reportLaunch(bool ok) const {
  expectWritten(host::reportLaunch(layout_.root, layout_.id, layout_.version, ok));
}

void AssistantScene::writeRootFile(const std::string& name, const std::string& bytes) const {
  expectWritten(standins::replaceFile(layout_.root + "/" + name, bytes));
}

void AssistantScene::removeRootFile(const std::string& name) const {
  EXPECT_EQ(::unlink((layout_.root + "/" + name).c_str()), 0) << name;
}

std::string AssistantScene::installedVersion() const {
  const auto info = standins::readBundleInfo(layout_.appPath);
  return info ? info->shortVersion : "";
}

int AssistantScene::kickstarts() const {
  std::istringstream calls(standins::readFile(layout_.standinDir + "/calls.log").value_or(""));
  int count = 0;
  for (std::string line; std::getline(calls, line);) {
    if (line == "kickstart " + layout_.jobTarget) ++count;
  }
  return count;
}

std::string AssistantScene::installerLog() const {
  return standins::readFile(layout_.logPath).value_or("");
}

std::string AssistantScene::diagnostics() const {
  std::string text = "scene " + layout_.directory + "\nlatest status: ";
  text += lastSeen_ ? encodeStatus(*lastSeen_) : "none";
  text += "\nstatus.json now: " + standins::readFile(layout_.root + "/status.json").value_or("-");
  text += "\nprocess output:\n" + standins::readFile(outputPath(layout_)).value_or("");
  return text;
}

}  // namespace installwarden::e2e
