#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace installwarden {

/// The application bundle an executable runs from: the innermost ancestor directory of the
/// normalised `executablePath` (empty and "." segments removed, each ".." taking away the
/// segment before it, purely textual) whose name ends in ".app". Nothing when there is none. The
/// executable's own name never counts, so a " (deleted)" suffix there is harmless.
std::optional<std::string> bundlePathOfExecutable(std::string_view executablePath);

}  // namespace installwarden
