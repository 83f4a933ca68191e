#include "shell/workspace_linux.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "assistant/bundle_info.h"
#include "os/files.h"
#include "os/proc.h"
#include "os/subprocess.h"
#include "shell/bundle_path.h"

namespace installwarden {
namespace {

/// A plist-supplied name that stays inside Contents/MacOS.
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

common::Result<void> startBundleExecutable(const std::string& appPath) {
  const std::string infoPath = appPath + "/Contents/Info.plist";
  const std::optional<std::string> name = bundleInfoString(appPath, "CFBundleExecutable");
  if (!name) return common::Failure{"No CFBundleExecutable in " + infoPath};
  if (!isPlainFileName(*name)) {
    return common::Failure{"CFBundleExecutable is not a file name in " + infoPath};
  }

  const std::string executable = appPath + "/Contents/MacOS/" + *name;
  os::Command command;
  command.argv = {executable};
  command.input = os::Stream::kNull;
  command.output = os::Stream::kNull;
  command.errors = os::Stream::kNull;
  // A missing or non-executable file is an error here. The child is never waited for: it
  // belongs to the user from now on, and the assistant ends right after a successful start.
  if (const auto started = os::spawnDetached(command); !started) {
    return common::Failure{"Cannot start " + executable + ": " + started.reason()};
  }
  return common::done();
}

}  // namespace

std::vector<std::string> scanRunningBundlePaths(const std::string& procRoot) {
  std::vector<std::string> bundles;
  for (const pid_t pid : os::listProcessIds(procRoot)) {
    const auto executable = os::readSymbolicLink(procRoot + "/" + std::to_string(pid) + "/exe");
    if (!executable) continue;
    if (auto bundle = bundlePathOfExecutable(*executable)) bundles.push_back(std::move(*bundle));
  }
  return bundles;
}

std::vector<std::string> LinuxWorkspace::runningBundlePaths() {
  return scanRunningBundlePaths("/proc");
}

void LinuxWorkspace::openApplication(const std::string& appPath,
                                     std::function<void(common::Result<void> opened)> completion) {
  common::Result<void> opened = startBundleExecutable(appPath);
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || !completion) return;
  // Queued, never inside this call: the caller may not expect re-entry.
  QMetaObject::invokeMethod(
      app, [completion = std::move(completion), opened = std::move(opened)] { completion(opened); },
      Qt::QueuedConnection);
}

}  // namespace installwarden
