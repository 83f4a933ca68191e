#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "os/files.h"
#include "update_state/exchange_records.h"

namespace installwarden::testing {

/// A generous deadline for `ticks` ticks of half a second, for a loaded machine.
inline std::chrono::steady_clock::duration deadlineForTicks(int ticks) {
  return std::chrono::seconds(20 + ticks);
}

/// Waits on the ticks of a running assistant instead of on time: every tick replaces
/// status.json in `root` with a new file. Waits for the next `ticks` replacements and checks
/// `condition` on each status written; false as soon as it does not hold, or when `deadline`
/// passes first (an assistant that does not tick, or a status that cannot be read). The first
/// tick counted may have begun before the call; ask for two or more to see a change made
/// just before it.
inline bool holdsForTicks(const std::string& root, int ticks,
                          const std::function<bool(const UpdateStatus&)>& condition,
                          std::chrono::steady_clock::duration deadline) {
  // A new file has a new inode or, should the old number be reused, a later change time.
  const std::string path = os::joinPath(root, "status.json");
  const auto identity = [&path]() -> std::optional<std::pair<ino_t, std::int64_t>> {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return std::pair<ino_t, std::int64_t>{
        info.st_ino, std::int64_t{info.st_ctim.tv_sec} * 1'000'000'000 + info.st_ctim.tv_nsec};
  };

  const auto end = std::chrono::steady_clock::now() + deadline;
  auto last = identity();
  for (int seen = 0; seen < ticks;) {
    if (std::chrono::steady_clock::now() >= end) return false;
    const auto now = identity();
    if (!now || now == last) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    last = now;
    const auto status = readStatus(root);
    if (!status || !condition(*status)) return false;
    ++seen;
  }
  return true;
}

inline bool holdsForTicks(const std::string& root, int ticks,
                          const std::function<bool(const UpdateStatus&)>& condition) {
  return holdsForTicks(root, ticks, condition, deadlineForTicks(ticks));
}

}  // namespace installwarden::testing
