#pragma once

#include <string>
#include <vector>

namespace installwarden {

/// Whether any running application's bundle path (already standardised by the workspace) is
/// exactly `appPath`, which is compared as the request holds it.
bool isRunningFrom(const std::vector<std::string>& runningBundlePaths, const std::string& appPath);

}  // namespace installwarden
