#include <unistd.h>

#include "os/proc.h"
#include "update_state/process_table.h"

namespace installwarden {

namespace {

constexpr std::uint64_t kMicrosecondsPerSecond = 1'000'000;

}  // namespace

std::optional<std::uint64_t> processBirth(std::int32_t pid) {
  const auto stat = os::readProcStat(pid);
  if (!stat || os::hasEnded(*stat)) return std::nullopt;
  const auto bootSeconds = os::bootTimeSeconds();
  const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
  if (!bootSeconds || ticksPerSecond <= 0) return std::nullopt;
  const auto ticks = static_cast<std::uint64_t>(ticksPerSecond);
  return *bootSeconds * kMicrosecondsPerSecond +
         (stat->startTicks / ticks) * kMicrosecondsPerSecond +
         (stat->startTicks % ticks) * kMicrosecondsPerSecond / ticks;
}

}  // namespace installwarden
