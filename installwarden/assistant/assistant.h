#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "assistant/ports.h"
#include "assistant/status_file_writer.h"
#include "update_state/launchctl.h"
#include "update_state/phase.h"
#include "update_state/process_table.h"
#include "update_state/update_request.h"

namespace installwarden {

/// Everything the assistant talks to. All references outlive the assistant.
struct AssistantEnvironment {
  Clock& clock;
  ProcessTable& processes;
  Launchctl& launchctl;
  Workspace& workspace;
  WindowPort& window;
  ApplicationPort& application;
  SystemLog& log;
  std::int32_t ownPid;
  std::uint64_t ownBirth;
  uid_t uid;
};

/// Guards one update: holds its state, decides every phase change, and ends the process only
/// from a final phase. Single-threaded: every call comes from the main loop.
class Assistant : public std::enable_shared_from_this<Assistant> {
 public:
  /// Restores ownerBirth, retries, logPosition and reopenDetected from a status.json of the
  /// same id; otherwise takes the owner's birth now.
  static std::shared_ptr<Assistant> create(std::string root, UpdateRequest request,
                                           AssistantEnvironment environment);

  /// First tick; the shell then calls `tick()` every 0.5 seconds.
  void applicationDidFinishLaunching();
  void tick();
  /// Whether the application may end now: only in a final phase.
  bool shouldTerminate() const;
  /// The window's button: reopens the application after a failure.
  void reopen();

  Phase phase() const { return phase_; }
  std::int64_t retries() const { return retries_; }
  std::uint64_t logPosition() const { return logPosition_; }
  bool reopenDetected() const { return reopenDetected_; }
  std::uint64_t ownerBirth() const { return ownerBirth_; }

  // Implementation detail, public only for make_shared.
  Assistant(std::string root, UpdateRequest request, AssistantEnvironment environment);

 private:
  /// Sets a final phase, publishes and asks the application to end; nothing runs after it.
  void end(Phase finalPhase);
  void publish();
  bool ownerRunning();
  /// The tick's steps; those returning bool return true when they ended the assistant.
  bool requestWithdrawn();
  bool applyCommand();
  void applyShowRequest();
  bool watchOwner();
  bool monitorInstallation();
  /// Reads the installer log's new bytes from logPosition on; notes the marker when seen.
  void followInstallerLog();
  double secondsSince(std::chrono::steady_clock::time_point moment);

  std::string root_;
  UpdateRequest request_;
  AssistantEnvironment env_;
  StatusFileWriter statusWriter_;
  Phase phase_ = Phase::kPreparing;
  std::int64_t retries_ = 0;
  std::int64_t lastCommand_ = -1;
  std::optional<std::string> lastShow_;
  std::uint64_t logPosition_ = 0;
  bool reopenDetected_ = false;
  std::optional<std::chrono::steady_clock::time_point> idleSince_;
  std::chrono::steady_clock::time_point started_;
  std::uint64_t ownerBirth_ = 0;
  /// Set once termination was asked for from kComplete or kCancelled: the process is ending,
  /// so later ticks and reopen completions do nothing.
  bool ended_ = false;
};

}  // namespace installwarden
