#include "update_scene.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include "fake_bundle.h"
#include "standin_files.h"

namespace installwarden::standins {

namespace {

nlohmann::json windowTexts() {
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

std::string requestJson(const UpdateScene& scene, std::int32_t ownerPid, std::uint64_t logOffset) {
  const nlohmann::json request = {
      {"id", scene.id},
      {"appPath", scene.appPath},
      {"sourceVersion", scene.sourceVersion},
      {"version", scene.version},
      {"ownerPid", ownerPid},
      {"jobLabel", scene.jobLabel},
      {"logPath", scene.logPath},
      {"logOffset", logOffset},
      {"messages", windowTexts()},
  };
  return request.dump();
}

common::Result<void> writeRequest(const UpdateScene& scene, std::int32_t ownerPid,
                                  std::uint64_t logOffset) {
  return replaceFile(scene.root + "/request.json", requestJson(scene, ownerPid, logOffset));
}

common::Result<void> writeCommand(const UpdateScene& scene, const std::string& phase,
                                  std::int64_t sequence) {
  const nlohmann::json command = {{"id", scene.id}, {"phase", phase}, {"sequence", sequence}};
  return replaceFile(scene.root + "/command.json", command.dump());
}

std::vector<std::string> jobCommand(const UpdateScene& scene) {
  return lines(readFile(scene.jobDir + "/command").value_or(""));
}

common::Result<void> writeJobPid(const UpdateScene& scene, pid_t pid) {
  return replaceFile(scene.jobDir + "/pid", std::to_string(pid) + "\n");
}

}  // namespace installwarden::standins
