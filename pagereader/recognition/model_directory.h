#pragma once

#include <filesystem>

namespace pagereader {

/// Where the text models live: share/pagereader beside the directory of the running program (the
/// path is fixed when the build is configured), in the build tree as in any installation prefix.
/// Empty when the program's own path cannot be read.
std::filesystem::path modelDirectory();

}  // namespace pagereader
