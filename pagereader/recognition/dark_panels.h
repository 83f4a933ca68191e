#pragma once

#include <cstdint>

namespace pagereader {

/// A solid region found in a picture: its size, how many of its pixels are dark, and how many
/// of the pixels along its edges (a band two pixels wide) are.
struct Region {
  int width = 0;
  int height = 0;
  std::uint64_t darkPixels = 0;
  std::uint64_t edgePixels = 0;
  std::uint64_t darkEdgePixels = 0;
};

/// True when `region` is a dark panel that light text sits on (a highlighted button, a selected
/// row, a coloured banner) rather than a clump of dark text: nearly all dark, its edges too, as
/// the outline of a line of text never is; big enough to hold a line; and not the whole
/// picture, which the picture-wide inversion already handles.
bool isDarkPanel(const Region& region, int imageWidth, int imageHeight);

}  // namespace pagereader
