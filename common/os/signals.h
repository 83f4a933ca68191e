#pragma once

#include <csignal>

/// Signal dispositions a program sets up for itself, whatever its starter left it. Children
/// never inherit them: every child starts from defaults (subprocess.h).
namespace os {

/// The signals that ask a process to stop.
inline constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

/// SIGCHLD back to its default: while it is ignored the kernel reaps children by itself, and
/// every wait for a child's status fails.
void restoreDefaultChildSignal();

/// A write to a pipe or socket whose reader has gone fails (EPIPE) instead of ending the process.
void ignoreBrokenPipes();

/// Holds the stop signals pending in the calling thread (and in the threads it starts later)
/// until `unblockStopSignals`.
void blockStopSignals();
void unblockStopSignals();

}  // namespace os
