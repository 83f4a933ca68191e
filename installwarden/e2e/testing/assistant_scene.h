#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "child_processes.h"
#include "update_scene.h"
#include "update_state/exchange_records.h"

namespace installwarden::e2e {

using namespace std::chrono_literals;

/// How a scene is set up: what each installer run does, and what the relaunched application
/// reports.
struct SceneSetup {
  std::string installerRuns = "install 2\n";
  bool receiptOk = true;
  /// How the host starts the assistant: options of the with-signals launcher, none for a
  /// plain start.
  std::vector<std::string> host = {};
};

/// One simulated update in its own temporary folder: the stand-ins, the owner, the installer
/// job and the test build of the assistant, all reaped and removed at the end.
class AssistantScene {
 public:
  explicit AssistantScene(const SceneSetup& setup = {});
  ~AssistantScene();
  AssistantScene(const AssistantScene&) = delete;
  AssistantScene& operator=(const AssistantScene&) = delete;

  const standins::UpdateScene& layout() const { return layout_; }
  const std::string& root() const { return layout_.root; }
  ChildProcesses& processes() { return processes_; }

  /// Starts the owner (a copy of the application running from the bundle) and writes
  /// request.json naming it.
  pid_t startOwner();
  /// Tells the owner to quit and waits until it has.
  void quitOwner();
  /// Starts the installer job's first run, which waits for the owner to quit, and records its
  /// pid for the launchd stand-in.
  pid_t startFirstInstallerRun();
  /// Starts `installwarden-test <root>`, headless unless `showOn` names an X display; the
  /// latest one started is the one awaited below.
  pid_t startAssistant();
  void showOn(const std::string& display) { display_ = display; }
  /// Starts the bundle's executable: with no arguments it is the relaunched application.
  pid_t startApplication(const std::vector<std::string>& arguments = {});
  /// A copy of the application that runs from the bundle until `stopRunningCopy`.
  pid_t startRunningCopy();
  void stopRunningCopy();

  /// status.json, strictly decoded; nothing when absent or malformed.
  std::optional<UpdateStatus> status() const;
  /// The phase in status.json now, or "" when it cannot be read.
  std::string phaseNow() const;
  /// Polls status.json until a status written by the latest assistant satisfies `condition`;
  /// nothing when `timeout` passes first.
  std::optional<UpdateStatus> awaitStatus(const std::function<bool(const UpdateStatus&)>& condition,
                                          std::chrono::milliseconds timeout = 10s);
  std::optional<UpdateStatus> awaitPhase(const std::string& phase,
                                         std::chrono::milliseconds timeout = 10s);
  /// Whether `condition` holds on every status the latest assistant writes at its next `ticks`
  /// ticks (testing::holdsForTicks): waits on the assistant's own pace, not on time.
  bool holdsForTicks(int ticks, const std::function<bool(const UpdateStatus&)>& condition);
  /// Waits for the latest assistant to end; its wait status, or nothing on timeout.
  std::optional<int> awaitAssistantEnd(std::chrono::milliseconds timeout = 5s);
  /// Whether the latest assistant is still running.
  bool assistantRunning();

  /// Drives the update up to "starting": owner and first installer run started, assistant in
  /// "preparing", command "closing", owner quits, "installing", new version installed.
  /// Returns the "starting" status, or nothing (with the failure reported) when a step fails.
  std::optional<UpdateStatus> driveToStarting();

  /// A command through the host library; each one has a new sequence.
  void writeCommand(const std::string& phase) const;
  /// The relaunched application's report of its start, through the host library.
  void reportLaunch(bool ok) const;
  void writeRootFile(const std::string& name, const std::string& bytes) const;
  void removeRootFile(const std::string& name) const;

  /// The bundle's CFBundleShortVersionString now.
  std::string installedVersion() const;
  /// How many "kickstart" runs the launchd stand-in has seen.
  int kickstarts() const;
  std::string installerLog() const;
  /// The latest status seen and the assistant's output, for failure messages.
  std::string diagnostics() const;

 private:
  std::string makeTemporaryFolder();

  ChildProcesses processes_;
  standins::UpdateScene layout_;
  pid_t owner_ = -1;
  pid_t assistant_ = -1;
  pid_t runningCopy_ = -1;
  std::vector<std::string> host_;
  std::string display_;
  std::optional<UpdateStatus> lastSeen_;
};

/// Polls `condition` every few milliseconds until it holds or `timeout` passes.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

}  // namespace installwarden::e2e
