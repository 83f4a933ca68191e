#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Process facts from /proc: the parsers take the text and are platform-free (proc.cpp); the
/// readers open the files (proc_linux.cpp).
namespace os {

/// The fields of a /proc/<pid>/stat line this project reads.
struct ProcStat {
  char state = '?';              ///< field 3: 'R', 'S', 'Z', ...
  pid_t parentPid = 0;           ///< field 4
  std::uint64_t startTicks = 0;  ///< field 22: clock ticks from boot to the process's start
};

/// Parses a /proc/<pid>/stat line. The command name (field 2) may hold spaces and ")", so the
/// fields are counted after the last ")". Nothing when a field is missing or not a number.
std::optional<ProcStat> parseProcStat(std::string_view line);

/// Whether the state is that of a process that has ended and left only its entry behind (a
/// zombie waiting for a parent that may never reap it, or one being removed).
bool hasEnded(const ProcStat& stat);

/// The "btime" line of /proc/stat: boot time in whole seconds since the epoch.
std::optional<std::uint64_t> parseBootTime(std::string_view procStat);

/// /proc/<pid>/stat parsed; nothing for pid < 1, no such process, or an unreadable entry.
std::optional<ProcStat> readProcStat(pid_t pid);

/// Whether `pid` is a process that has not ended (a zombie has).
bool isRunning(pid_t pid);

/// The boot time of /proc/stat, read once per process so that start times taken within one
/// process stay comparable with each other.
std::optional<std::uint64_t> bootTimeSeconds();

/// The pids whose parent is `parent`, ended ones (zombies) included, from /proc.
std::vector<pid_t> childrenOf(pid_t parent);

/// Where this process's executable is (/proc/self/exe), or nothing when it cannot be read.
std::optional<std::string> ownExecutablePath();

/// The pids listed in `procRoot` ("/proc", or a folder laid out like it), in directory order.
std::vector<pid_t> listProcessIds(const std::string& procRoot = "/proc");

}  // namespace os
