#pragma once

#include <cstdint>
#include <optional>

namespace installwarden {

/// A process's start time in microseconds since the epoch, or nothing (pid <= 0, no such
/// process, unreadable). Stable for the life of the process and equal across observers.
std::optional<std::uint64_t> processBirth(std::int32_t pid);

/// The process table as the decisions see it; the Linux implementation reads /proc.
class ProcessTable {
 public:
  virtual ~ProcessTable() = default;
  /// Birth of `pid`, or nothing.
  virtual std::optional<std::uint64_t> birth(std::int32_t pid) = 0;
  /// Whether a process with this id exists right now (pid >= 1).
  virtual bool exists(std::int32_t pid) = 0;
};

/// True when `pid` >= 1 and the process with that id has exactly `expectedBirth`.
bool isSameProcess(ProcessTable& processes, std::int32_t pid, std::uint64_t expectedBirth);

class SystemProcessTable final : public ProcessTable {
 public:
  std::optional<std::uint64_t> birth(std::int32_t pid) override;
  bool exists(std::int32_t pid) override;
};

}  // namespace installwarden
