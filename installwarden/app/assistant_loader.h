#pragma once

#include <optional>

#include "shell/assistant_launch.h"

namespace installwarden {

/// Loads the GUI shell library from `<directory of the executable>/../lib/` and runs the
/// assistant through it; its exit status, or nothing (after a line on standard error) when
/// the library or its entry point cannot be loaded.
std::optional<int> runAssistantFromLibrary(const AssistantLaunch& launch);

}  // namespace installwarden
