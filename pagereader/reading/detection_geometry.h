#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace pagereader {

struct Point {
  double x = 0;
  double y = 0;
};

/// A text region's four corners, clockwise from the upper left, in pixels (y grows downward).
using Quad = std::array<Point, 4>;

struct PixelSize {
  int width = 0;
  int height = 0;
};

/// The size the detector reads an image of `image` pixels at: the longest side at most
/// `maxSide`, both sides rounded to a multiple of 32 (at least 32). Small images are not enlarged.
PixelSize detectorInputSize(PixelSize image, int maxSide);

/// The detector's text probability per pixel, row-major.
struct ProbabilityMap {
  std::span<const float> values;
  int width = 0;
  int height = 0;
};

/// The four corners of a rectangle in clockwise order from the upper left, whatever order the
/// corners come in.
Quad clockwiseFromTopLeft(const std::array<Point, 4>& corners);

/// Length of the shorter side of a rectangle.
double shortSide(const Quad& rectangle);

/// Mean probability of the pixels whose centres lie inside `quad` (a convex quadrilateral);
/// 0 when none does.
double meanInside(const ProbabilityMap& map, const Quad& quad);

/// The rectangle grown on every side by area x `ratio` / perimeter: the detector marks a text
/// line's shrunk core, and this brings back its full extent.
Quad expanded(const Quad& rectangle, double ratio);

/// The rectangle grown by `sideways` at its left and right ends (along its first side) and by
/// `upAndDown` above and below.
Quad grown(const Quad& rectangle, double sideways, double upAndDown);

/// Margins around a found line, as fractions of its height: the recogniser drops the spaces
/// between words when the ink touches the crop's edges, and punctuation that trails a word by a
/// little lies outside the detector's box.
inline constexpr double kTopAndBottomMargin = 0.15;
inline constexpr double kSideMargin = 0.3;
/// `line` with those margins.
Quad withReadingMargin(const Quad& line);

/// `quad` scaled by `scaleX`, `scaleY` and clamped to a `width` x `height` image.
Quad scaledToImage(const Quad& quad, double scaleX, double scaleY, double width, double height);

/// The size of the upright picture cut from `quad`: the longer of each pair of opposite sides.
struct CropSize {
  double width = 0;
  double height = 0;
};
CropSize cropSize(const Quad& quad);

/// Whether the text in a crop of this size runs top to bottom, so that the crop is turned before
/// reading (a column at least 1.5 times as high as wide).
bool readsVertically(CropSize crop);

}  // namespace pagereader
