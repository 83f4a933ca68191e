#include "shell/workspace_linux.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "assistant/bundle_info.h"
#include "shell/bundle_path.h"

extern char** environ;

namespace installwarden {
namespace {

constexpr std::size_t kMaxLinkBytes = 64 * 1024;

bool isProcessId(const char* name) {
  if (*name == '\0') return false;
  for (const char* c = name; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
  }
  return true;
}

std::optional<std::string> readLink(const std::string& path) {
  std::string target(4096, '\0');
  while (true) {
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return std::nullopt;
    if (static_cast<std::size_t>(length) < target.size()) {
      target.resize(static_cast<std::size_t>(length));
      return target;
    }
    if (target.size() >= kMaxLinkBytes) return std::nullopt;  // possibly cut short
    target.resize(target.size() * 2);
  }
}

/// A plist-supplied name that stays inside Contents/MacOS.
bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

/// posix_spawn attributes for a detached start: own session, default signal dispositions and
/// an empty signal mask, whatever this process has set up for itself.
class DetachedSpawnAttributes {
 public:
  DetachedSpawnAttributes() {
    posix_spawnattr_init(&attributes_);
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setflags(&attributes_,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  ~DetachedSpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  DetachedSpawnAttributes(const DetachedSpawnAttributes&) = delete;
  DetachedSpawnAttributes& operator=(const DetachedSpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

class NullStdio {
 public:
  NullStdio() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  ~NullStdio() { posix_spawn_file_actions_destroy(&actions_); }
  NullStdio(const NullStdio&) = delete;
  NullStdio& operator=(const NullStdio&) = delete;
  const posix_spawn_file_actions_t* get() const { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

}  // namespace

std::vector<std::string> scanRunningBundlePaths(const std::string& procRoot) {
  std::vector<std::string> bundles;
  DIR* directory = opendir(procRoot.c_str());
  if (directory == nullptr) return bundles;
  while (const dirent* entry = readdir(directory)) {
    if (!isProcessId(entry->d_name)) continue;
    const auto executable = readLink(procRoot + "/" + entry->d_name + "/exe");
    if (!executable) continue;
    if (auto bundle = bundlePathOfExecutable(*executable)) bundles.push_back(std::move(*bundle));
  }
  closedir(directory);
  return bundles;
}

std::optional<std::string> startBundleExecutable(const std::string& appPath) {
  const std::string infoPath = appPath + "/Contents/Info.plist";
  const std::optional<std::string> name = bundleInfoString(appPath, "CFBundleExecutable");
  if (!name) return "No CFBundleExecutable in " + infoPath;
  if (!isPlainFileName(*name)) return "CFBundleExecutable is not a file name in " + infoPath;

  const std::string executable = appPath + "/Contents/MacOS/" + *name;
  const DetachedSpawnAttributes attributes;
  const NullStdio stdio;
  char* const argv[] = {const_cast<char*>(executable.c_str()), nullptr};
  pid_t pid = 0;
  // glibc reports a failed exec as the result, so a missing or non-executable file is an error
  // here. The child is never waited for: it belongs to the user from now on, and the assistant
  // ends right after a successful start.
  const int result =
      posix_spawn(&pid, executable.c_str(), stdio.get(), attributes.get(), argv, environ);
  if (result != 0) return "Cannot start " + executable + ": " + std::strerror(result);
  return std::nullopt;
}

std::vector<std::string> LinuxWorkspace::runningBundlePaths() {
  return scanRunningBundlePaths("/proc");
}

void LinuxWorkspace::openApplication(
    const std::string& appPath, std::function<void(std::optional<std::string> error)> completion) {
  std::optional<std::string> error = startBundleExecutable(appPath);
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr || !completion) return;
  // Queued, never inside this call: the caller may not expect re-entry.
  QMetaObject::invokeMethod(
      app, [completion = std::move(completion), error = std::move(error)] { completion(error); },
      Qt::QueuedConnection);
}

}  // namespace installwarden
