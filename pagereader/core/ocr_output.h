#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pagereader {

/// One recognised line as printed.
struct OcrBlock {
  std::string text;
  std::array<double, 4> bbox{};  ///< left, top, width, height
  double confidence = 0;
};

/// The one object every run prints: `blocks` on success, `error` on failure, never both.
struct OcrOutput {
  bool ok = false;
  std::optional<std::vector<OcrBlock>> blocks;
  std::optional<std::string> error;

  static OcrOutput success(std::vector<OcrBlock> blocks);
  static OcrOutput failure(std::string_view message);
};

/// Printed instead when the output holds a number JSON cannot carry (infinite or not a number).
inline constexpr std::string_view kEncodeFailureLine =
    "{\"ok\":false,\"error\":\"Failed to encode JSON\"}\n";

/// The exact bytes the program prints for `output`: one compact JSON line ending in a line feed,
/// or `kEncodeFailureLine` when a number cannot be encoded.
std::string jsonLine(const OcrOutput& output);

}  // namespace pagereader
