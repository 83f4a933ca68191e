#pragma once

#include <optional>

#include "shell/assistant_launch.h"

namespace installwarden {

/// Loads the GUI shell library from its folder beside the executable's (`../lib/installwarden/`
/// in the standard layout, in the build tree as in an installation) and runs the assistant
/// through it; its exit status, or nothing (after a line on standard error) when
/// the library or its entry point cannot be loaded.
std::optional<int> runAssistantFromLibrary(const AssistantLaunch& launch);

}  // namespace installwarden
