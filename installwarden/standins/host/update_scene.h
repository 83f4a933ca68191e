#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "result/result.h"

namespace installwarden::standins {

/// Where every file of one simulated update lives, all under one folder:
///   root/                            the assistant's root: request.json, status.json, ...
///   launchd/                         the launchd stand-in's state (LAUNCHD_STANDIN_DIR)
///   launchd/<domain>/<label>/        the installer job: description, command, pid
///   Applications/Quorvelin Pro.app   the bundle being updated
///   ShipIt.log                       the installer's log
///   installer-runs                   what each installer run does, one run per line
///   app-runs.log                     one line per start of the stand-in application
struct UpdateScene {
  /// The layout under `directory`, with the job in the domain "gui/<uid>".
  UpdateScene(std::string directory, uid_t uid);

  std::string directory;
  std::string root;
  std::string standinDir;
  std::string jobLabel = "com.quorvelin.pro.ShipIt";
  std::string jobTarget;  ///< "gui/<uid>/<label>"
  std::string jobDir;
  std::string appPath;
  std::string logPath;
  std::string installerRuns;
  std::string appRunsLog;

  std::string id = "3F2A9C4E-7B1D-4E8A-9C62-1D5E0B7A4F93";
  std::string sourceVersion = "1.0.0";
  std::string version = "2.0.0";
  std::string executable = "Quorvelin Pro";
};

/// How the scene is built.
struct SceneOptions {
  std::string installerBinary;  ///< the installer stand-in the job runs
  std::string appBinary;        ///< copied into the bundle as its executable
  /// Installer scenario, one run per line ("install", "still-running 2", ...).
  std::string installerRuns = "install\n";
  bool receiptOk = true;  ///< what the relaunched application reports
};

/// Creates the folders, the bundle at the source version, the application's settings, the
/// installer scenario and the job's description and command.
common::Result<void> createScene(const UpdateScene& scene, const SceneOptions& options);

/// request.json for the scene, through the host library: the scene's id, all ten window texts,
/// the given owner.
common::Result<void> writeRequest(const UpdateScene& scene, std::int32_t ownerPid,
                                  std::uint64_t logOffset = 0);

/// A command for the scene's update through the host library, which gives it a new sequence.
common::Result<void> writeCommand(const UpdateScene& scene, const std::string& phase);

/// The job's argv as its command file holds it; for the first run, started before the owner
/// quits, add "--wait-for-pid <owner>" so it installs only once the owner is gone.
std::vector<std::string> jobCommand(const UpdateScene& scene);

/// The job's current pid as the launchd stand-in reports it; written by whoever starts a run.
common::Result<void> writeJobPid(const UpdateScene& scene, pid_t pid);

}  // namespace installwarden::standins
