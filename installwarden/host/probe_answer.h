#pragma once

#include <optional>
#include <string_view>

#include "installwarden/host/assistant_program.h"

namespace installwarden::host {

/// The probe's printed line read back: a JSON object with the four answers as booleans (other
/// keys ignored), or nothing.
std::optional<ProbeAnswer> parseProbeAnswer(std::string_view output);

}  // namespace installwarden::host
