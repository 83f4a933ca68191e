#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "result/result.h"

namespace pagereader {

/// The value after the first element of `from` equal to `flag` (whole elements, position 0
/// included), trimmed of whitespace and newlines. None when the flag is absent, is the last
/// element, or its value trims to nothing; later repetitions of the flag are never consulted.
std::optional<std::string> parseArg(std::string_view flag, const std::vector<std::string>& from);

/// The double that `text` spells as the C library's strtod reads it in the C locale, when that
/// reading consumes the whole text and the text does not begin with whitespace. Values beyond
/// the double range read as infinity, as strtod returns them.
std::optional<double> parseCDouble(std::string_view text);

/// What a valid command line asks for.
struct Invocation {
  std::string imagePath;
  double scale = 1.0;
};

inline constexpr std::string_view kMissingImageMessage = "Missing --image <path>";
inline constexpr std::string_view kInvalidScaleMessage = "Invalid --scale (must be > 0)";

/// Checks `arguments` (program path first) in order: a usable --image, then --scale. A --scale
/// that is no number means 1.0; one that is not greater than 0 is an error. A command line that
/// cannot run fails with the message to print.
common::Result<Invocation> readCommandLine(const std::vector<std::string>& arguments);

}  // namespace pagereader
