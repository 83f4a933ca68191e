#pragma once

#include <array>

namespace pagereader {

/// A box as the recogniser reports it: fractions of the image, origin at the lower-left corner,
/// y growing upward.
struct NormalizedBox {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;
};

/// Size of the loaded image in pixels.
struct ImageSize {
  double width = 0;
  double height = 0;
};

/// Left, top, width and height in image pixels divided by `scale`, origin at the upper-left
/// corner. Computed in one fixed order of double operations; nothing is rounded or clamped.
std::array<double, 4> pixelBox(const NormalizedBox& box, ImageSize image, double scale);

}  // namespace pagereader
