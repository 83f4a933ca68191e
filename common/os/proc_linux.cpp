#include <dirent.h>

#include <charconv>
#include <string>

#include "os/files.h"
#include "os/proc.h"

namespace os {

namespace {

// A stat line is a few hundred bytes; /proc/stat grows with the number of processors.
constexpr std::size_t kMaxStatLineBytes = 64 * 1024;
constexpr std::size_t kMaxProcStatBytes = 4 * 1024 * 1024;

/// The pid a /proc entry's name spells, or nothing for the entries that are not processes.
std::optional<pid_t> processId(std::string_view name) {
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (error != std::errc() || end != name.data() + name.size() || pid < 1) return std::nullopt;
  return pid;
}

}  // namespace

std::optional<ProcStat> readProcStat(pid_t pid) {
  if (pid < 1) return std::nullopt;
  const auto line = readWholeFile("/proc/" + std::to_string(pid) + "/stat", kMaxStatLineBytes);
  if (!line) return std::nullopt;
  return parseProcStat(*line);
}

bool isRunning(pid_t pid) {
  const auto stat = readProcStat(pid);
  return stat && !hasEnded(*stat);
}

std::optional<std::uint64_t> bootTimeSeconds() {
  static const std::optional<std::uint64_t> cached = []() -> std::optional<std::uint64_t> {
    const auto text = readWholeFile("/proc/stat", kMaxProcStatBytes);
    if (!text) return std::nullopt;
    return parseBootTime(*text);
  }();
  return cached;
}

std::vector<pid_t> childrenOf(pid_t parent) {
  std::vector<pid_t> children;
  for (const pid_t pid : listProcessIds()) {
    if (const auto stat = readProcStat(pid); stat && stat->parentPid == parent) {
      children.push_back(pid);
    }
  }
  return children;
}

std::optional<std::string> ownExecutablePath() { return readSymbolicLink("/proc/self/exe"); }

std::vector<pid_t> listProcessIds(const std::string& procRoot) {
  std::vector<pid_t> pids;
  DIR* proc = ::opendir(procRoot.c_str());
  if (proc == nullptr) return pids;
  while (const dirent* entry = ::readdir(proc)) {
    if (const auto pid = processId(entry->d_name)) pids.push_back(*pid);
  }
  ::closedir(proc);
  return pids;
}

}  // namespace os
