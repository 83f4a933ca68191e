#pragma once

#include <cstddef>
#include <vector>

namespace pagereader {

/// A line's vertical and horizontal extent in pixels (y grows downward).
struct LineExtent {
  double left = 0;
  double top = 0;
  double bottom = 0;
};

/// The order lines are reported in: rows from top to bottom, a row holding the lines whose
/// vertical centre lies within the first line's height, each row from left to right. Returns
/// indices into `lines`.
std::vector<std::size_t> readingOrder(const std::vector<LineExtent>& lines);

}  // namespace pagereader
