// The installer stand-in: one run of the installer job. It appends to the installer log, waits
// (for the owner to quit, then for its hold time) so the job shows a live pid, and then does
// what its scenario says for this run: install the new version, report that the application
// is still running, or give up.
//
//   fake-installer --bundle <appPath> --log <logPath> --version <v>
//                  (--scenario <file> | --run "<action> [<seconds>]") [--wait-for-pid <pid>]
//
// Exit statuses: 0 installed, 1 not installed, 64 bad command line, 70 unusable scenario.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <thread>

#include "info_plist.h"
#include "installer_runs.h"
#include "os/proc.h"
#include "standin_files.h"

namespace {

using installwarden::standins::InstallerAction;
using installwarden::standins::InstallerRun;

constexpr int kUsageStatus = 64;
constexpr int kScenarioStatus = 70;

std::string timestamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  ::localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

class InstallerLog {
 public:
  explicit InstallerLog(std::string path) : path_(std::move(path)) {}
  void line(const std::string& message) const {
    // A log line that cannot be written leaves nothing to tell it to; the run goes on.
    [[maybe_unused]] const auto written = installwarden::standins::appendToFile(
        path_, timestamp() + " ShipIt[" + std::to_string(::getpid()) + "] " + message + "\n");
  }

 private:
  std::string path_;
};

void sleepFor(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

int perform(const InstallerRun& run, const std::string& bundle, const std::string& version,
            const InstallerLog& log) {
  // One line, then quiet: the log's length stays put while the job holds.
  if (run.holdSeconds > 0) log.line("Copying the update into place…");
  sleepFor(run.holdSeconds);
  switch (run.action) {
    case InstallerAction::kInstall:
      if (!installwarden::standins::writeBundleVersion(bundle, version)) {
        log.line("Installation failed: cannot replace the bundle at " + bundle);
        return 1;
      }
      log.line("Installed version " + version + " at " + bundle);
      return 0;
    case InstallerAction::kStillRunning:
      log.line("Installation failed: App Still Running Error: " + bundle + " is still running");
      return 1;
    case InstallerAction::kAbort:
      log.line("Installation failed: the update could not be verified");
      return 1;
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> options;
  for (int i = 1; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
  const bool complete = argc % 2 == 1 && options.count("--bundle") && options.count("--log") &&
                        options.count("--version") &&
                        (options.count("--scenario") != options.count("--run"));
  if (!complete) {
    std::fprintf(stderr,
                 "usage: fake-installer --bundle <appPath> --log <logPath> --version <v> "
                 "(--scenario <file> | --run \"<action> [<seconds>]\") [--wait-for-pid <pid>]\n");
    return kUsageStatus;
  }
  const InstallerLog log(options["--log"]);
  const auto run = options.count("--run") ? installwarden::standins::parseRun(options["--run"])
                                          : installwarden::standins::nextRun(options["--scenario"]);
  if (!run) {
    log.line("Installation failed: no usable scenario");
    return kScenarioStatus;
  }
  log.line("Starting the installation of version " + options["--version"]);
  if (options.count("--wait-for-pid")) {
    const pid_t owner = static_cast<pid_t>(std::atoi(options["--wait-for-pid"].c_str()));
    log.line("Waiting for the application (pid " + std::to_string(owner) + ") to quit");
    // A quit owner that nobody has reaped yet counts as gone.
    while (os::isRunning(owner)) sleepFor(0.05);
  }
  return perform(*run, options["--bundle"], options["--version"], log);
}
