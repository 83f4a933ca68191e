#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "update_state/launchctl.h"
#include "update_state/process_table.h"

namespace installwarden::testing {

/// Answers each argument list from a table; anything not in it fails like a missing service.
class FakeLaunchctl final : public Launchctl {
 public:
  /// What `print <target>` answers.
  void describe(const std::string& target, std::string description, std::int32_t status = 0) {
    answers_[{"print", target}] = {status, std::move(description)};
  }
  void answer(std::vector<std::string> arguments, LaunchctlResult result) {
    answers_[std::move(arguments)] = std::move(result);
  }

  LaunchctlResult run(const std::vector<std::string>& arguments) override {
    calls.push_back(arguments);
    const auto it = answers_.find(arguments);
    return it == answers_.end() ? LaunchctlResult{113, ""} : it->second;
  }

  std::vector<std::vector<std::string>> calls;

 private:
  std::map<std::vector<std::string>, LaunchctlResult> answers_;
};

/// A process table of pids and births; records every pid asked about.
class FakeProcessTable final : public ProcessTable {
 public:
  void add(std::int32_t pid, std::uint64_t birth) { births_[pid] = birth; }
  void remove(std::int32_t pid) { births_.erase(pid); }

  std::optional<std::uint64_t> birth(std::int32_t pid) override {
    asked.push_back(pid);
    const auto it = births_.find(pid);
    if (it == births_.end()) return std::nullopt;
    return it->second;
  }
  bool exists(std::int32_t pid) override { return birth(pid).has_value(); }

  std::vector<std::int32_t> asked;

 private:
  std::map<std::int32_t, std::uint64_t> births_;
};

}  // namespace installwarden::testing
