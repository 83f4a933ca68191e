#include "shell/stop_signals_linux.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <csignal>

#include "os/signals.h"

namespace installwarden {
namespace {

std::atomic<int> gSignalWriteFd{-1};
struct sigaction gPreviousActions[std::size(os::kStopSignals)];

extern "C" void relayStopSignal(int signal) {
  const int savedErrno = errno;
  const int fd = gSignalWriteFd.load(std::memory_order_relaxed);
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a pending request; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

StopSignalRelay::StopSignalRelay(std::function<void(int)> onStopRequest)
    : onStopRequest_(std::move(onStopRequest)) {
  int fds[2];
  // Close-on-exec so launchctl runs and reopened applications do not inherit the pipe.
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    os::unblockStopSignals();  // no relay: a stop signal ends the process, as by default
    return;
  }
  readFd_ = fds[0];
  writeFd_ = fds[1];
  gSignalWriteFd.store(writeFd_);

  notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });

  struct sigaction action = {};
  action.sa_handler = relayStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // launchctl reads and waits carry on undisturbed
  for (std::size_t i = 0; i < std::size(os::kStopSignals); ++i) {
    sigaction(os::kStopSignals[i], &action, &gPreviousActions[i]);
  }
  // Held back since the start of the process; any that arrived meanwhile are relayed now.
  os::unblockStopSignals();
}

StopSignalRelay::~StopSignalRelay() {
  if (notifier_ == nullptr) return;
  for (std::size_t i = 0; i < std::size(os::kStopSignals); ++i) {
    sigaction(os::kStopSignals[i], &gPreviousActions[i], nullptr);
  }
  gSignalWriteFd.store(-1);
  notifier_.reset();
  close(readFd_);
  close(writeFd_);
}

void StopSignalRelay::drain() {
  unsigned char pending[64];
  ssize_t count;
  while ((count = read(readFd_, pending, sizeof pending)) > 0) {
    for (ssize_t i = 0; i < count; ++i) onStopRequest_(pending[i]);
  }
}

}  // namespace installwarden
