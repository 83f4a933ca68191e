#pragma once

#include <optional>
#include <string>

#include "info_plist.h"
#include "result/result.h"

namespace installwarden::standins {

/// What the stand-in application does when it is started without arguments (as the relaunched
/// application, by the test or by reopening): it writes `<root>/launched.json` with `id`, its
/// bundle's version and `ok`, and appends "<pid> <version>" to `runsLog`.
struct AppSettings {
  std::string root;
  std::string id;
  bool ok = true;
  std::string runsLog;
};

/// `<bundle>/Contents/MacOS/<executable>`.
std::string bundleExecutablePath(const std::string& bundle, const std::string& executable);

/// Creates the bundle at `bundle`: Contents/Info.plist from `info`, a real copy of `appBinary`
/// as its executable (a copy, not a link: a running copy is recognised by its executable's path)
/// and the application's settings.
common::Result<void> makeFakeBundle(const std::string& bundle, const BundleInfo& info,
                                    const std::string& appBinary, const AppSettings& settings);

std::optional<AppSettings> readAppSettings(const std::string& bundle);

/// The bundle whose Contents/MacOS holds `executablePath`, or nothing when it is not inside one.
std::optional<std::string> bundleOfExecutable(const std::string& executablePath);

}  // namespace installwarden::standins
