#include "assistant/running_copy.h"

#include <algorithm>

namespace installwarden {

bool isRunningFrom(const std::vector<std::string>& runningBundlePaths, const std::string& appPath) {
  return std::find(runningBundlePaths.begin(), runningBundlePaths.end(), appPath) !=
         runningBundlePaths.end();
}

}  // namespace installwarden
