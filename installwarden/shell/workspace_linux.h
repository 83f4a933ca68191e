#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "assistant/ports.h"

namespace installwarden {

/// The desktop as seen from /proc and the bundle layout. Completions are delivered on the Qt
/// main loop, so a QCoreApplication must exist.
class LinuxWorkspace final : public Workspace {
 public:
  std::vector<std::string> runningBundlePaths() override;
  /// Starts "<appPath>/Contents/MacOS/<CFBundleExecutable>" in a session of its own, with its
  /// standard streams on /dev/null and no arguments, and does not wait for it. The completion
  /// follows later on the main loop.
  void openApplication(const std::string& appPath,
                       std::function<void(common::Result<void> opened)> completion) override;
};

/// The bundle of every process under `procRoot` ("/proc" in production) whose "exe" link can
/// be read, in directory order; processes that vanish or cannot be read are skipped.
std::vector<std::string> scanRunningBundlePaths(const std::string& procRoot);

}  // namespace installwarden
