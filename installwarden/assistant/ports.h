#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "result/result.h"
#include "update_state/phase.h"

namespace installwarden {

/// Monotonic time, so a wall-clock step neither fails an update early nor stalls it.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::steady_clock::time_point now() = 0;
};

/// What the decisions need of the desktop: running applications and opening one.
class Workspace {
 public:
  virtual ~Workspace() = default;
  /// The bundle path of every running application that has one, standardised (dot segments
  /// removed), in the platform's order.
  virtual std::vector<std::string> runningBundlePaths() = 0;
  /// Starts the application bundle at `appPath`. `completion` is called exactly once, later,
  /// on the main thread, with the outcome.
  virtual void openApplication(const std::string& appPath,
                               std::function<void(common::Result<void> opened)> completion) = 0;
};

/// The progress window as the assistant drives it.
class WindowPort {
 public:
  virtual ~WindowPort() = default;
  /// Activate the application, make the window key and order it front.
  virtual void bringForward() = 0;
  virtual void hide() = 0;
  virtual bool isVisible() = 0;
  /// Re-applies texts and the normal or failed state for `phase`.
  virtual void update(Phase phase, bool slow) = 0;
};

/// The application object: termination goes through the assistant's own rule.
class ApplicationPort {
 public:
  virtual ~ApplicationPort() = default;
  /// Asks the application to end; it does so only when the assistant allows it.
  virtual void terminate() = 0;
};

/// The system log: one line per failed status write.
class SystemLog {
 public:
  virtual ~SystemLog() = default;
  virtual void line(const std::string& text) = 0;
};

}  // namespace installwarden
