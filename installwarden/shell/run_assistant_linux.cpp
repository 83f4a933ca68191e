// The assistant's GUI shell: wires the platform-free Assistant to Qt, /proc, launchctl, syslog
// and the stop signals, then runs the event loop. No decisions live here beyond routing every
// termination request through the assistant's rule.
#include <QApplication>
#include <QTimer>

#include <unistd.h>
#include <clocale>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>

#include "assistant/assistant.h"
#include "shell/application_port_qt.h"
#include "shell/assistant_launch.h"
#include "shell/qt_platform.h"
#include "shell/steady_clock.h"
#include "shell/stop_signals_linux.h"
#include "shell/system_log_linux.h"
#include "shell/workspace_linux.h"
#include "update_state/launchctl.h"
#include "update_state/process_table.h"
#include "window/update_window.h"

namespace installwarden {
namespace {

constexpr int kTickMilliseconds = 500;

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

/// The toolkit's own argument vector: the program name and the platform choice only. The
/// caller's arguments are not passed on, so a root directory that looks like a Qt option
/// ("-style", "-reverse") is never taken as one. Qt keeps pointers into it for its lifetime.
class ToolkitArguments {
 public:
  explicit ToolkitArguments(const AssistantLaunch& launch)
      : program_(launch.argc > 0 && launch.argv != nullptr && launch.argv[0] != nullptr
                     ? launch.argv[0]
                     : "installwarden"),
        platform_(qtPlatformList(environmentValue("DISPLAY"), environmentValue("WAYLAND_DISPLAY"),
                                 environmentValue("QT_QPA_PLATFORM"))) {
    argv_[0] = program_.data();
    argv_[1] = platformFlag_.data();
    argv_[2] = platform_.data();
    argv_[3] = nullptr;
  }

  int& argc() { return argc_; }
  char** argv() { return argv_; }

 private:
  std::string program_;
  std::string platformFlag_ = "-platform";
  std::string platform_;
  int argc_ = 3;
  char* argv_[4] = {};
};

/// Runs one assistant callback; an escaping exception is logged instead of tearing down the
/// process through the event loop. The next tick simply looks again.
template <typename Callback>
void guarded(SystemLog& log, const Callback& callback) {
  try {
    callback();
  } catch (const std::exception& error) {
    log.line(std::string("Installwarden caught an internal error: ") + error.what());
  } catch (...) {
    log.line("Installwarden caught an internal error");
  }
}

void becomeAccessoryApplication() {
  // Linux has no Dock; a macOS port sets the accessory activation policy here.
}

int runAssistant(const AssistantLaunch& launch, SystemLog& log) {
  const std::int32_t ownPid = static_cast<std::int32_t>(getpid());
  const std::optional<std::uint64_t> ownBirth = processBirth(ownPid);
  if (!ownBirth) {
    log.line("Installwarden could not read its own start time");
    return 1;
  }

  // QApplication adopts the environment's locale; keep the process's own, so number and
  // character handling in the rest of the program does not change under it.
  const std::string locale = std::setlocale(LC_ALL, nullptr);
  ToolkitArguments arguments(launch);
  QApplication app(arguments.argc(), arguments.argv());
  std::setlocale(LC_ALL, locale.c_str());
  QApplication::setQuitOnLastWindowClosed(false);
  becomeAccessoryApplication();

  // Stop signals are caught from here on; until the assistant exists every request is refused.
  QtApplicationPort application;
  StopSignalRelay stopSignals([&application](int) { application.terminate(); });
  if (!stopSignals.installed()) log.line("Installwarden could not catch stop signals");

  SteadyClock clock;
  SystemProcessTable processes;
  LaunchctlRunner launchctl(launch.launchctlPath);
  LinuxWorkspace workspace;
  UpdateWindow window(launch.request);
  const AssistantEnvironment environment{clock,       processes, launchctl, workspace, window,
                                         application, log,       ownPid,    *ownBirth, getuid()};
  const std::shared_ptr<Assistant> assistant =
      Assistant::create(launch.root, launch.request, environment);
  const std::weak_ptr<Assistant> weakAssistant = assistant;

  application.setTerminationRule([weakAssistant] {
    const auto strong = weakAssistant.lock();
    return strong != nullptr && strong->shouldTerminate();
  });
  window.reopen = [weakAssistant, &log] {
    if (const auto strong = weakAssistant.lock()) guarded(log, [&] { strong->reopen(); });
  };

  QTimer ticker;
  ticker.setInterval(kTickMilliseconds);
  QObject::connect(&ticker, &QTimer::timeout, [weakAssistant, &log] {
    if (const auto strong = weakAssistant.lock()) guarded(log, [&] { strong->tick(); });
  });
  // The first tick runs once the loop is running, then the timer takes over.
  QTimer::singleShot(0, [weakAssistant, &log, &ticker, &application] {
    if (const auto strong = weakAssistant.lock()) {
      guarded(log, [&] { strong->applicationDidFinishLaunching(); });
    }
    if (!application.ended()) ticker.start();
  });

  QApplication::exec();
  return 0;
}

}  // namespace
}  // namespace installwarden

extern "C" int installwardenRunAssistant(const installwarden::AssistantLaunch* launch) {
  installwarden::SyslogSystemLog log;
  if (launch == nullptr) return 1;
  try {
    return installwarden::runAssistant(*launch, log);
  } catch (const std::exception& error) {
    log.line(std::string("Installwarden could not run its assistant: ") + error.what());
  } catch (...) {
    log.line("Installwarden could not run its assistant");
  }
  return 1;
}
