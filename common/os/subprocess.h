#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "result/result.h"

/// Child processes on Linux: starting them, reading what they print, waiting with a deadline,
/// killing and reaping.
namespace os {

/// Where one standard stream of a child goes.
enum class Stream {
  kInherit,  ///< this process's own
  kNull,     ///< /dev/null
  kCapture,  ///< a pipe that `run` reads (output and errors only)
  kFile,     ///< appended to `Command::file`, created with mode 0644 (output and errors only)
};

/// A program and the world it starts in. Every child starts with default signal dispositions
/// and an empty signal mask, whatever this process ignores or blocks, and inherits none of the
/// descriptors opened close-on-exec.
struct Command {
  std::vector<std::string> argv;  ///< argv[0]: a path, or a bare name looked up in PATH
  /// "NAME=value" entries; nothing means this process's environment.
  std::optional<std::vector<std::string>> environment;
  Stream input = Stream::kInherit;  ///< kInherit or kNull
  Stream output = Stream::kInherit;
  Stream errors = Stream::kInherit;
  std::string file;  ///< for Stream::kFile; output and errors then share it
};

/// How a started child ended.
struct Ended {
  std::optional<int> exitStatus;  ///< nothing when it did not exit by itself (a signal ended it)
  /// `run` killed it: the deadline passed, a stream carried more than allowed or could not be
  /// read.
  bool killed = false;
  std::string output;  ///< captured standard output, as far as it was read
  std::string errors;  ///< captured standard error, as far as it was read
};

/// Most bytes `run` reads from one captured stream unless told otherwise.
inline constexpr std::size_t kMaxCapturedBytes = 16 * 1024 * 1024;

/// Starts `command`, reads its captured streams to their end and waits for it, all within
/// `timeout`. A child still running at the deadline, or printing more than `maxCapturedBytes`
/// on one stream, is killed and reaped. Fails only when the child could not be started (the
/// reason is the system's error text).
common::Result<Ended> run(const Command& command, std::chrono::milliseconds timeout,
                          std::size_t maxCapturedBytes = kMaxCapturedBytes);

/// Starts `command` (no captured streams) and returns its pid; the caller reaps it.
common::Result<pid_t> spawn(const Command& command);

/// Starts `command` in a session of its own and with no descriptor beyond the standard three,
/// so it outlives its starter and holds nothing of it; nobody here waits for it.
common::Result<pid_t> spawnDetached(const Command& command);

/// Starts `command` with no descriptor beyond the standard three in a new session, whose leader
/// is a short-lived intermediate process reaped before this returns: the started process is never
/// this process's child, so it outlives it and is never left behind as its zombie (the init
/// process, or the nearest subreaper, reaps it), and never takes a controlling terminal. Its pid,
/// or the reason it could not be started (a missing or non-executable program included).
/// `Stream::kCapture` is refused.
common::Result<pid_t> spawnOrphan(const Command& command);

/// Waits at most `timeout` for the child `pid` to end and reaps it: its wait status, or nothing
/// while it still runs (or when it cannot be waited for).
std::optional<int> waitForEnd(pid_t pid, std::chrono::milliseconds timeout);

/// Kills the child `pid` and reaps it.
void killAndReap(pid_t pid);

/// The status a process exited with, or nothing when a signal ended it.
std::optional<int> exitStatusOf(int waitStatus);

}  // namespace os
