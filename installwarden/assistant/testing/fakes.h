#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "assistant/ports.h"
#include "result/result.h"
#include "update_state/testing/fakes.h"

/// Fakes of the assistant's ports: each records what the assistant asked of it.
namespace installwarden::testing {

class FakeClock final : public Clock {
 public:
  std::chrono::steady_clock::time_point now() override { return now_; }
  void advance(double seconds) {
    now_ += std::chrono::round<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(seconds));
  }

 private:
  std::chrono::steady_clock::time_point now_{std::chrono::hours(24)};
};

/// Records every window call in order; bringForward and hide drive `visible`.
class FakeWindow final : public WindowPort {
 public:
  void bringForward() override {
    events.push_back("forward");
    visible = true;
  }
  void hide() override {
    events.push_back("hide");
    visible = false;
  }
  bool isVisible() override { return visible; }
  void update(Phase phase, bool slow) override {
    events.push_back("update " + std::string(phaseName(phase)) + (slow ? " slow" : ""));
  }

  std::vector<std::string> events;
  bool visible = false;
};

class FakeApplication final : public ApplicationPort {
 public:
  void terminate() override {
    ++terminations;
    if (onTerminate) onTerminate();
  }
  int terminations = 0;
  std::function<void()> onTerminate;
};

class FakeLog final : public SystemLog {
 public:
  void line(const std::string& text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

/// Running bundle paths are set by the test; opens are held until the test delivers them.
class FakeWorkspace final : public Workspace {
 public:
  std::vector<std::string> runningBundlePaths() override { return running; }
  void openApplication(const std::string& appPath,
                       std::function<void(common::Result<void>)> completion) override {
    opened.push_back(appPath);
    completions.push_back(std::move(completion));
  }
  /// Delivers the oldest pending completion, as the main loop would later.
  void complete(common::Result<void> outcome = common::done()) {
    auto completion = std::move(completions.front());
    completions.erase(completions.begin());
    completion(std::move(outcome));
  }

  std::vector<std::string> running;
  std::vector<std::string> opened;
  std::vector<std::function<void(common::Result<void>)>> completions;
};

/// Launchctl whose answers come from a FakeLaunchctl, with a hook run before each call.
class HookedLaunchctl final : public Launchctl {
 public:
  LaunchctlResult run(const std::vector<std::string>& arguments) override {
    if (beforeRun) beforeRun(arguments);
    return script.run(arguments);
  }
  FakeLaunchctl script;
  std::function<void(const std::vector<std::string>&)> beforeRun;
};

}  // namespace installwarden::testing
