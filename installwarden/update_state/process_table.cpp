#include "update_state/process_table.h"

namespace installwarden {

bool isSameProcess(ProcessTable& processes, std::int32_t pid, std::uint64_t expectedBirth) {
  if (pid < 1) return false;
  const auto birth = processes.birth(pid);
  return birth && *birth == expectedBirth;
}

std::optional<std::uint64_t> SystemProcessTable::birth(std::int32_t pid) {
  return processBirth(pid);
}

bool SystemProcessTable::exists(std::int32_t pid) { return processBirth(pid).has_value(); }

}  // namespace installwarden
