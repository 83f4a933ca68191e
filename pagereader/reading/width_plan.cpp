#include "reading/width_plan.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace pagereader {

int recognitionWidth(double width, double height, WidthLimits limits) {
  if (!(width > 0) || !(height > 0)) return limits.minimum;
  const double scaled = std::ceil(width * kRecognitionHeight / height / 8) * 8;
  return static_cast<int>(
      std::clamp(scaled, static_cast<double>(limits.minimum), static_cast<double>(limits.maximum)));
}

std::vector<std::size_t> widestFirst(const std::vector<int>& widths) {
  std::vector<std::size_t> order(widths.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return widths[a] > widths[b]; });
  return order;
}

}  // namespace pagereader
