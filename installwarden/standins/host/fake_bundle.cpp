#include "fake_bundle.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <system_error>

#include "standin_files.h"

namespace installwarden::standins {

namespace {

std::string settingsPath(const std::string& bundle) {
  return bundle + "/Contents/Resources/standin-app.json";
}

/// Rewrites the settings the stand-in application reads at start.
common::Result<void> writeAppSettings(const std::string& bundle, const AppSettings& settings) {
  const nlohmann::json json = {{"root", settings.root},
                               {"id", settings.id},
                               {"ok", settings.ok},
                               {"runsLog", settings.runsLog}};
  return replaceFile(settingsPath(bundle), json.dump());
}

}  // namespace

std::string bundleExecutablePath(const std::string& bundle, const std::string& executable) {
  return bundle + "/Contents/MacOS/" + executable;
}

common::Result<void> makeFakeBundle(const std::string& bundle, const BundleInfo& info,
                                    const std::string& appBinary, const AppSettings& settings) {
  if (!makeDirectories(bundle + "/Contents/MacOS") ||
      !makeDirectories(bundle + "/Contents/Resources")) {
    return common::Failure{"cannot create the folders of " + bundle};
  }
  if (!writeInfoPlist(bundle, info)) {
    return common::Failure{"cannot write the Info.plist of " + bundle};
  }
  const std::string executable = bundleExecutablePath(bundle, info.executable);
  std::error_code error;
  std::filesystem::copy_file(appBinary, executable,
                             std::filesystem::copy_options::overwrite_existing, error);
  if (error) return common::Failure{"cannot copy " + appBinary + ": " + error.message()};
  std::filesystem::permissions(executable, std::filesystem::perms(0755),
                               std::filesystem::perm_options::replace, error);
  if (error) return common::Failure{"cannot make " + executable + " executable"};
  if (!writeAppSettings(bundle, settings)) {
    return common::Failure{"cannot write the application's settings"};
  }
  return common::done();
}

std::optional<AppSettings> readAppSettings(const std::string& bundle) {
  const auto bytes = readFile(settingsPath(bundle));
  if (!bytes) return std::nullopt;
  try {
    const auto json = nlohmann::json::parse(*bytes);
    return AppSettings{json.at("root").get<std::string>(), json.at("id").get<std::string>(),
                       json.at("ok").get<bool>(), json.at("runsLog").get<std::string>()};
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

std::optional<std::string> bundleOfExecutable(const std::string& executablePath) {
  const std::filesystem::path executable(executablePath);
  const auto macos = executable.parent_path();
  const auto contents = macos.parent_path();
  const auto bundle = contents.parent_path();
  if (macos.filename() != "MacOS" || contents.filename() != "Contents" ||
      bundle.extension() != ".app") {
    return std::nullopt;
  }
  return bundle.string();
}

}  // namespace installwarden::standins
