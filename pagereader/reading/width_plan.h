#pragma once

#include <cstddef>
#include <vector>

namespace pagereader {

/// The recogniser reads lines scaled to this height.
inline constexpr int kRecognitionHeight = 48;

/// Bounds on a line's input width. The recogniser's time grows with the width; a hostile image
/// could otherwise ask for hundreds of thousands of columns.
struct WidthLimits {
  int minimum = 16;
  int maximum = 4096;
};

/// The input width for a crop of `width` x `height` pixels: its aspect kept at the recognition
/// height, rounded up to a multiple of 8 (one output step), within the limits.
int recognitionWidth(double width, double height, WidthLimits limits = {});

/// The order in which to hand lines of the given input widths to the workers: widest first, so
/// that the last line to finish is a short one.
std::vector<std::size_t> widestFirst(const std::vector<int>& widths);

}  // namespace pagereader
