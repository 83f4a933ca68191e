#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pagereader {

/// Rows and columns of a grey picture that hold ink (right and bottom exclusive).
struct InkExtent {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

/// Where the ink lies in a `width` x `height` grey crop of one text line (row-major). The
/// background is the median of the crop's border; ink is what differs from it by more than a
/// third of the crop's contrast, and by more than a faint halo. Nothing when the crop is flat.
std::optional<InkExtent> inkExtent(std::span<const std::uint8_t> grey, int width, int height);

/// For each column of the crop, whether it holds ink by the same measure; all false when the
/// crop is flat.
std::vector<bool> inkColumns(std::span<const std::uint8_t> grey, int width, int height);

}  // namespace pagereader
