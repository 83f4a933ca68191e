#pragma once

#include <filesystem>

namespace pagereader {

/// Where the text models live: share/pagereader beside the directory of the running program, so
/// that the build tree and any installation prefix have the same layout. Empty when the program's
/// own path cannot be read.
std::filesystem::path modelDirectory();

}  // namespace pagereader
