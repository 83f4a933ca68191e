// installwarden <root>                               guard the update described in root
// installwarden --probe <root> <appPath> <version>   tell whether an update is under way

#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "app/assistant_loader.h"
#include "app/assistant_lock.h"
#include "os/files.h"
#include "os/signals.h"
#include "update_state/launchctl.h"
#include "update_state/probe.h"
#include "update_state/process_table.h"
#include "update_state/update_request.h"

namespace {

// The test build points this at the launchd stand-in; the shipped program runs the real tool.
#ifdef INSTALLWARDEN_LAUNCHCTL_PATH
constexpr const char* kLaunchctlPath = INSTALLWARDEN_LAUNCHCTL_PATH;
#else
constexpr const char* kLaunchctlPath = "/bin/launchctl";
#endif

constexpr int kSuccess = 0;
constexpr int kBadInput = 2;
constexpr int kBrokenInstallation = 1;

int runAssistantForm(const std::string& root, int argc, char** argv) {
  auto request = installwarden::validatedRequest(root);
  if (!request) return kBadInput;  // checked before the lock, so nothing is created
  // Another assistant for this root, or no lock file to be had: that one goes on alone.
  if (!installwarden::takeAssistantLock(root)) return kSuccess;
  // The descriptor stays open on purpose: the lock lasts until the process ends.
  // No other writer of status.json is left: clear the temporary files of killed ones.
  os::removeReplacementLeftovers(os::joinPath(root, "status.json"));

  installwarden::AssistantLaunch launch;
  launch.root = root;
  launch.request = std::move(*request);
  launch.launchctlPath = kLaunchctlPath;
  launch.argc = argc;
  launch.argv = argv;
  return installwarden::runAssistantFromLibrary(launch).value_or(kBrokenInstallation);
}

int runProbeForm(const std::string& root, const std::string& appPath, const std::string& version) {
  installwarden::LaunchctlRunner launchctl(kLaunchctlPath);
  installwarden::SystemProcessTable processes;
  const auto answer =
      installwarden::probe(root, appPath, version, launchctl, processes, ::getuid());
  const std::string line = installwarden::encodeProbeAnswer(answer) + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
  return kSuccess;
}

}  // namespace

int main(int argc, char** argv) {
  // Both forms wait for launchctl runs, which a host's ignored SIGCHLD would make fail.
  os::restoreDefaultChildSignal();
  if (argc == 2) {
    // Held until the assistant can judge them, instead of ending it before it is ready.
    os::blockStopSignals();
    // The host may quit and leave standard error without a reader; a log line must not kill.
    os::ignoreBrokenPipes();
    return runAssistantForm(argv[1], argc, argv);
  }
  if (argc == 5 && std::string_view(argv[1]) == "--probe") {
    return runProbeForm(argv[2], argv[3], argv[4]);
  }
  return kBadInput;
}
