#include "update_scene.h"

#include <map>
#include <sstream>

#include "fake_bundle.h"
#include "installwarden/host/commands.h"
#include "installwarden/host/update_request.h"
#include "standin_files.h"

namespace installwarden::standins {

namespace {

std::map<std::string, std::string> windowTexts() {
  return {
      {"updateTitle", "Updating Quorvelin Pro"},
      {"updateFailedTitle", "The update could not be installed"},
      {"updateHint", "Quorvelin Pro opens again by itself when the update is done."},
      {"updateOpen", "Open Quorvelin Pro"},
      {"updatePreparing", "Preparing the update…"},
      {"updateClosing", "Waiting for Quorvelin Pro to quit…"},
      {"updateInstalling", "Installing the new version…"},
      {"updateSlow", "Installing takes longer than usual. Please wait…"},
      {"updateStarting", "Starting the new version…"},
      {"updateFailure", "The new version could not be installed. Your version is unchanged."},
  };
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

}  // namespace

UpdateScene::UpdateScene(std::string folder, uid_t uid) : directory(std::move(folder)) {
  root = directory + "/root";
  standinDir = directory + "/launchd";
  jobTarget = "gui/" + std::to_string(uid) + "/" + jobLabel;
  jobDir = standinDir + "/" + jobTarget;
  appPath = directory + "/Applications/Quorvelin Pro.app";
  logPath = directory + "/ShipIt.log";
  installerRuns = directory + "/installer-runs";
  appRunsLog = directory + "/app-runs.log";
}

common::Result<void> createScene(const UpdateScene& scene, const SceneOptions& options) {
  if (!makeDirectories(scene.root) || !makeDirectories(scene.jobDir)) {
    return common::Failure{"cannot create the folders under " + scene.directory};
  }
  const AppSettings settings{scene.root, scene.id, options.receiptOk, scene.appRunsLog};
  if (auto made = makeFakeBundle(scene.appPath, {scene.sourceVersion, scene.executable},
                                 options.appBinary, settings);
      !made) {
    return made;
  }
  const std::string description =
      "\tprogram = " + scene.appPath + "/Contents/Frameworks/Squirrel.framework/Resources/ShipIt\n";
  const std::string command = options.installerBinary + "\n--bundle\n" + scene.appPath +
                              "\n--log\n" + scene.logPath + "\n--version\n" + scene.version +
                              "\n--scenario\n" + scene.installerRuns + "\n";
  if (!replaceFile(scene.installerRuns, options.installerRuns) ||
      !replaceFile(scene.jobDir + "/description", description) ||
      !replaceFile(scene.jobDir + "/command", command)) {
    return common::Failure{"cannot write the installer job under " + scene.standinDir};
  }
  return common::done();
}

common::Result<void> writeRequest(const UpdateScene& scene, std::int32_t ownerPid,
                                  std::uint64_t logOffset) {
  host::UpdateRequest request;
  request.id = scene.id;
  request.appPath = scene.appPath;
  request.sourceVersion = scene.sourceVersion;
  request.version = scene.version;
  request.ownerPid = ownerPid;
  request.jobLabel = scene.jobLabel;
  request.logPath = scene.logPath;
  request.logOffset = logOffset;
  request.messages = windowTexts();
  if (auto written = host::writeRequest(scene.root, request); !written) {
    return common::Failure{written.reason()};
  }
  return common::done();
}

common::Result<void> writeCommand(const UpdateScene& scene, const std::string& phase) {
  const auto asked = host::parsePhase(phase);
  if (!asked) return common::Failure{"no phase \"" + phase + "\""};
  if (auto sent = host::sendCommand(scene.root, scene.id, *asked); !sent) {
    return common::Failure{sent.reason()};
  }
  return common::done();
}

std::vector<std::string> jobCommand(const UpdateScene& scene) {
  return lines(readFile(scene.jobDir + "/command").value_or(""));
}

common::Result<void> writeJobPid(const UpdateScene& scene, pid_t pid) {
  return replaceFile(scene.jobDir + "/pid", std::to_string(pid) + "\n");
}

}  // namespace installwarden::standins
