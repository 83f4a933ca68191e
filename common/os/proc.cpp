#include "os/proc.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace os {

namespace {

// Fields after the command name start at field 3.
constexpr std::size_t kFirstFieldAfterName = 3;
constexpr std::size_t kStateField = 3;
constexpr std::size_t kParentField = 4;
constexpr std::size_t kStartTimeField = 22;

template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

bool isSeparator(char c) { return c == ' ' || c == '\n'; }

/// The first `count` space-separated fields of `rest`, the text after the command name.
std::vector<std::string_view> fieldsAfterName(std::string_view rest, std::size_t count) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start < rest.size() && fields.size() < count) {
    while (start < rest.size() && isSeparator(rest[start])) ++start;
    std::size_t end = start;
    while (end < rest.size() && !isSeparator(rest[end])) ++end;
    if (end > start) fields.push_back(rest.substr(start, end - start));
    start = end;
  }
  return fields;
}

}  // namespace

std::optional<ProcStat> parseProcStat(std::string_view line) {
  const auto nameEnd = line.rfind(')');
  if (nameEnd == std::string_view::npos) return std::nullopt;
  const auto fields =
      fieldsAfterName(line.substr(nameEnd + 1), kStartTimeField - kFirstFieldAfterName + 1);
  if (fields.size() <= kStartTimeField - kFirstFieldAfterName) return std::nullopt;
  const std::string_view state = fields[kStateField - kFirstFieldAfterName];
  const auto parent = parseNumber<pid_t>(fields[kParentField - kFirstFieldAfterName]);
  const auto start = parseNumber<std::uint64_t>(fields[kStartTimeField - kFirstFieldAfterName]);
  if (state.size() != 1 || !parent || !start) return std::nullopt;
  return ProcStat{state[0], *parent, *start};
}

bool hasEnded(const ProcStat& stat) { return stat.state == 'Z' || stat.state == 'X'; }

std::optional<std::uint64_t> parseBootTime(std::string_view procStat) {
  static constexpr std::string_view kKey = "btime ";
  for (std::size_t at = 0; at < procStat.size();) {
    const auto end = std::min(procStat.find('\n', at), procStat.size());
    const std::string_view line = procStat.substr(at, end - at);
    if (line.starts_with(kKey)) return parseNumber<std::uint64_t>(line.substr(kKey.size()));
    at = end + 1;
  }
  return std::nullopt;
}

}  // namespace os
