#pragma once

#include <optional>
#include <string>

#include "result/result.h"

namespace installwarden::standins {

/// The two Info.plist entries the assistant and the workspace read.
struct BundleInfo {
  std::string shortVersion;  ///< CFBundleShortVersionString
  std::string executable;    ///< CFBundleExecutable: the file name in Contents/MacOS
};

/// `<bundle>/Contents/Info.plist`.
std::string infoPlistPath(const std::string& bundle);

/// Writes `info` as the bundle's Info.plist, replacing it atomically.
common::Result<void> writeInfoPlist(const std::string& bundle, const BundleInfo& info);

/// Sets the bundle's CFBundleShortVersionString, keeping every other entry of its Info.plist;
/// an unreadable plist is replaced by one holding only the version. Atomic.
common::Result<void> writeBundleVersion(const std::string& bundle, const std::string& version);

/// The bundle's two entries (XML or binary plist); nothing when the plist cannot be read or
/// either entry is missing or not text.
std::optional<BundleInfo> readBundleInfo(const std::string& bundle);

}  // namespace installwarden::standins
