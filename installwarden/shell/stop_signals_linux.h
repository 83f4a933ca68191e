#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace installwarden {

/// Turns SIGTERM, SIGINT and SIGHUP into calls of `onStopRequest` on the main loop (a
/// self-pipe read by a socket notifier), so an outside stop request goes through the same
/// check as every other termination instead of killing the process. Unblocks them once the
/// handlers are in place, so those held since the start arrive then. One instance at a time;
/// restores the previous handlers when destroyed. Needs a QCoreApplication.
class StopSignalRelay {
 public:
  explicit StopSignalRelay(std::function<void(int signal)> onStopRequest);
  ~StopSignalRelay();
  StopSignalRelay(const StopSignalRelay&) = delete;
  StopSignalRelay& operator=(const StopSignalRelay&) = delete;

  /// Whether the handlers are in place; false when the pipe could not be made.
  bool installed() const { return notifier_ != nullptr; }

 private:
  void drain();

  std::function<void(int)> onStopRequest_;
  int readFd_ = -1;
  int writeFd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace installwarden
