#include <unistd.h>

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

#include "update_state/file_io.h"
#include "update_state/process_table.h"

namespace installwarden {

namespace {

constexpr std::uint64_t kMicrosecondsPerSecond = 1'000'000;
// Field 22 of /proc/<pid>/stat is the start time; fields after the command name start at 3.
constexpr std::size_t kStartTimeIndexAfterName = 22 - 3;

std::optional<std::uint64_t> parseUnsigned(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

std::vector<std::string_view> splitOnSpaces(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start < text.size()) {
    while (start < text.size() && (text[start] == ' ' || text[start] == '\n')) ++start;
    std::size_t end = start;
    while (end < text.size() && text[end] != ' ' && text[end] != '\n') ++end;
    if (end > start) fields.push_back(text.substr(start, end - start));
    start = end;
  }
  return fields;
}

/// Boot time in whole seconds since the epoch. Read once per process, so births taken
/// within one process stay comparable with each other.
std::optional<std::uint64_t> bootTimeSeconds() {
  static const std::optional<std::uint64_t> cached = []() -> std::optional<std::uint64_t> {
    const auto stat = readWholeFile("/proc/stat");
    if (!stat) return std::nullopt;
    static constexpr std::string_view kKey = "\nbtime ";
    const auto at = stat->find(kKey);
    if (at == std::string::npos) return std::nullopt;
    const auto start = at + kKey.size();
    const auto end = stat->find('\n', start);
    return parseUnsigned(std::string_view(*stat).substr(start, end - start));
  }();
  return cached;
}

}  // namespace

std::optional<std::uint64_t> processBirth(std::int32_t pid) {
  if (pid <= 0) return std::nullopt;
  const auto stat = readWholeFile("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return std::nullopt;
  // The command name is in parentheses and may itself hold ")" and spaces.
  const auto nameEnd = stat->rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  const auto fields = splitOnSpaces(std::string_view(*stat).substr(nameEnd + 1));
  if (fields.size() <= kStartTimeIndexAfterName) return std::nullopt;
  // A zombie has ended: only its entry is left, waiting for a parent that may never reap it.
  if (fields[0] == "Z" || fields[0] == "X") return std::nullopt;

  const auto startTicks = parseUnsigned(fields[kStartTimeIndexAfterName]);
  const auto bootSeconds = bootTimeSeconds();
  const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
  if (!startTicks || !bootSeconds || ticksPerSecond <= 0) return std::nullopt;
  const auto ticks = static_cast<std::uint64_t>(ticksPerSecond);
  return *bootSeconds * kMicrosecondsPerSecond + (*startTicks / ticks) * kMicrosecondsPerSecond +
         (*startTicks % ticks) * kMicrosecondsPerSecond / ticks;
}

}  // namespace installwarden
