// The host application's stand-in, for tests and the demo. One binary, several roles:
//
//   fake-host stay --until <file>      the owner, or a copy of the application: runs until the
//                                      file exists or SIGTERM/SIGINT/SIGHUP arrives, then exits 0
//   fake-host scene <dir> --installer <path> [--runs <lines>] [--receipt ok|failed]
//                                      lays out a simulated update (see update_scene.h) and
//                                      prints its paths as key=value lines
//   fake-host request <dir> --owner-pid <pid>     writes the scene's request.json
//   fake-host start-assistant <dir> --program <path>
//                                      starts the assistant for the scene's root, detached, as
//                                      a host does, and prints its pid
//   fake-host command <dir> --phase <p>           sends the scene's update a command
//   fake-host show <dir>                          asks for the assistant's window
//   fake-host await <dir> --phase <p> [--timeout <seconds>]
//                                      prints status.json whenever it changes until it shows
//                                      the phase (and, for "complete" and "cancelled", until
//                                      the assistant has ended); status 1 on timeout
//   fake-host start-job <dir> [--wait-for-pid <pid>]     starts an installer run detached,
//                                      the way launchd would, and records its pid
//   fake-host reap -- <command...>     runs the command as the reaper of its orphans
//
// The host's side goes through the host library, as an application's would. A copy of this
// binary is the bundle's executable. Started from a bundle without arguments it is the
// relaunched application: it reports its start (launched.json) with the update's id, its
// bundle's version and the configured "ok", and appends "<pid> <version>" to the runs log.

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "child_reaper.h"
#include "fake_bundle.h"
#include "installwarden/host/host.h"
#include "os/proc.h"
#include "standin_files.h"
#include "update_scene.h"

namespace {

namespace host = installwarden::host;
namespace standins = installwarden::standins;

constexpr int kUsageStatus = 64;
constexpr int kFailureStatus = 1;

std::atomic<bool> stopRequested{false};

void requestStop(int) { stopRequested = true; }

std::optional<long long> toInteger(const std::string& text) {
  try {
    std::size_t used = 0;
    const long long value = std::stoll(text, &used);
    if (used == text.size()) return value;
  } catch (...) {
  }
  return std::nullopt;
}

std::string ownExecutable() { return os::ownExecutablePath().value_or(""); }

/// "--name value" pairs after the positional arguments; nothing when one is left unpaired.
std::optional<std::map<std::string, std::string>> options(const std::vector<std::string>& words) {
  if (words.size() % 2 != 0) return std::nullopt;
  std::map<std::string, std::string> result;
  for (std::size_t i = 0; i < words.size(); i += 2) {
    if (!words[i].starts_with("--")) return std::nullopt;
    result[words[i]] = words[i + 1];
  }
  return result;
}

int failure(const std::string& reason) {
  std::fprintf(stderr, "fake-host: %s\n", reason.c_str());
  return kFailureStatus;
}

int usage() {
  std::fprintf(stderr,
               "usage: fake-host stay --until <file>\n"
               "       fake-host scene <dir> --installer <path> [--runs <lines>] "
               "[--receipt ok|failed]\n"
               "       fake-host request <dir> --owner-pid <pid>\n"
               "       fake-host start-assistant <dir> --program <path>\n"
               "       fake-host command <dir> --phase <phase>\n"
               "       fake-host show <dir>\n"
               "       fake-host await <dir> --phase <phase> [--timeout <seconds>]\n"
               "       fake-host start-job <dir> [--wait-for-pid <pid>]\n"
               "       fake-host reap -- <command...>\n");
  return kUsageStatus;
}

int stay(const std::string& untilFile) {
  struct sigaction action {};
  action.sa_handler = requestStop;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
  while (!stopRequested && ::access(untilFile.c_str(), F_OK) != 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return 0;
}

int relaunchedApplication(const std::string& bundle) {
  const auto settings = standins::readAppSettings(bundle);
  const auto info = standins::readBundleInfo(bundle);
  if (!settings || !info) {
    std::fprintf(stderr, "fake-host: %s has no readable settings or Info.plist\n", bundle.c_str());
    return kFailureStatus;
  }
  if (const auto logged = standins::appendToFile(
          settings->runsLog, std::to_string(::getpid()) + " " + info->shortVersion + "\n");
      !logged) {
    std::fprintf(stderr, "fake-host: %s\n", logged.reason().c_str());
  }
  const auto reported =
      host::reportLaunch(settings->root, settings->id, info->shortVersion, settings->ok);
  return reported ? 0 : failure(reported.reason());
}

int startAssistant(const standins::UpdateScene& layout, const std::string& program) {
  const auto started = host::startAssistant(program, layout.root);
  if (!started) return failure(started.reason());
  std::printf("%d\n", static_cast<int>(*started));
  return 0;
}

int sendCommand(const standins::UpdateScene& layout, const std::string& phaseText) {
  const auto phase = host::parsePhase(phaseText);
  if (!phase) return usage();
  const auto sent = host::sendCommand(layout.root, layout.id, *phase);
  return sent ? 0 : failure(sent.reason());
}

std::string describe(const host::AssistantStatus& status) {
  return "phase=" + std::string(host::phaseName(status.phase)) +
         " visible=" + (status.visible ? "true" : "false") +
         " retries=" + std::to_string(status.retries) +
         " logPosition=" + std::to_string(status.logPosition) +
         " assistant=" + (status.alive ? "running" : "ended");
}

/// Follows status.json as a host does, one line per change, until it shows `wanted` (and the
/// assistant has ended, for the phases it ends in).
int await(const standins::UpdateScene& layout, host::Phase wanted, std::chrono::seconds timeout) {
  const bool mustEnd = wanted == host::Phase::kComplete || wanted == host::Phase::kCancelled;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string last;
  for (;;) {
    const auto status = host::readStatus(layout.root, layout.id);
    const std::string line = status ? describe(*status) : status.reason();
    if (line != last && status) std::printf("  status.json: %s\n", line.c_str());
    std::fflush(stdout);
    last = line;
    if (status && status->phase == wanted && !(mustEnd && status->alive)) return 0;
    if (std::chrono::steady_clock::now() >= deadline) {
      std::fprintf(stderr, "fake-host: no phase \"%s\" within %lld s; last: %s\n",
                   std::string(host::phaseName(wanted)).c_str(),
                   static_cast<long long>(timeout.count()), last.c_str());
      return kFailureStatus;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

int scene(const standins::UpdateScene& layout, std::map<std::string, std::string> given) {
  if (!given.count("--installer")) return usage();
  standins::SceneOptions sceneOptions;
  sceneOptions.installerBinary = given["--installer"];
  sceneOptions.appBinary = ownExecutable();
  if (given.count("--runs")) sceneOptions.installerRuns = given["--runs"] + "\n";
  if (given.count("--receipt")) sceneOptions.receiptOk = given["--receipt"] == "ok";
  if (const auto created = standins::createScene(layout, sceneOptions); !created) {
    std::fprintf(stderr, "fake-host: %s\n", created.reason().c_str());
    return kFailureStatus;
  }
  std::printf("root=%s\nlaunchd=%s\napp=%s\nexecutable=%s\nlog=%s\njob=%s\nid=%s\nversion=%s\n",
              layout.root.c_str(), layout.standinDir.c_str(), layout.appPath.c_str(),
              standins::bundleExecutablePath(layout.appPath, layout.executable).c_str(),
              layout.logPath.c_str(), layout.jobDir.c_str(), layout.id.c_str(),
              layout.version.c_str());
  return 0;
}

int startJob(const standins::UpdateScene& layout, std::map<std::string, std::string> given) {
  auto argv = standins::jobCommand(layout);
  if (given.count("--wait-for-pid")) {
    argv.push_back("--wait-for-pid");
    argv.push_back(given["--wait-for-pid"]);
  }
  const auto pid = standins::startDetached(argv);
  if (!pid || !standins::writeJobPid(layout, *pid)) return kFailureStatus;
  std::printf("%d\n", static_cast<int>(*pid));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    const auto bundle = standins::bundleOfExecutable(ownExecutable());
    return bundle ? relaunchedApplication(*bundle) : usage();
  }
  const std::string& role = words[0];
  if (role == "reap") {
    if (words.size() < 3 || words[1] != "--") return usage();
    return standins::runReapingOrphans({words.begin() + 2, words.end()});
  }
  if (role == "stay") {
    const auto given = options({words.begin() + 1, words.end()});
    return given && given->count("--until") ? stay(given->at("--until")) : usage();
  }
  if (words.size() < 2) return usage();
  const auto given = options({words.begin() + 2, words.end()});
  if (!given) return usage();
  const standins::UpdateScene layout(words[1], ::getuid());
  if (role == "scene") return scene(layout, *given);
  if (role == "start-job") return startJob(layout, *given);
  if (role == "request" && given->count("--owner-pid")) {
    const auto owner = toInteger(given->at("--owner-pid"));
    if (!owner) return usage();
    const auto written = standins::writeRequest(layout, static_cast<std::int32_t>(*owner));
    return written ? 0 : failure(written.reason());
  }
  if (role == "start-assistant" && given->count("--program")) {
    return startAssistant(layout, given->at("--program"));
  }
  if (role == "command" && given->count("--phase")) {
    return sendCommand(layout, given->at("--phase"));
  }
  if (role == "show" && given->empty()) {
    const auto asked = host::askForWindow(layout.root);
    return asked ? 0 : failure(asked.reason());
  }
  if (role == "await" && given->count("--phase")) {
    const auto phase = host::parsePhase(given->at("--phase"));
    const auto seconds = given->count("--timeout") ? toInteger(given->at("--timeout"))
                                                   : std::optional<long long>(10);
    if (!phase || !seconds || *seconds <= 0) return usage();
    return await(layout, *phase, std::chrono::seconds(*seconds));
  }
  return usage();
}
