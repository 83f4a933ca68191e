#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace installwarden {

/// `path` with empty and "." segments removed and each ".." taking away the segment before it
/// (at the root it stays at the root); purely textual, no file system access.
std::string lexicallyNormal(std::string_view path);

/// The application bundle an executable runs from: the innermost ancestor directory of the
/// normalised `executablePath` whose name ends in ".app". Nothing when there is none. The
/// executable's own name never counts, so a " (deleted)" suffix there is harmless.
std::optional<std::string> bundlePathOfExecutable(std::string_view executablePath);

}  // namespace installwarden
