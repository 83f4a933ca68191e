#include "recognition/layout_plan.h"

#include <algorithm>

#include "recognition/engine_lines.h"

namespace pagereader {

namespace {

// True when `low` touches `kept` or lies within its own height above or below it.
bool nextTo(const LineBox& low, const LineBox& kept) {
  const int reach = low.bottom - low.top;
  return low.left < kept.right && kept.left < low.right && low.top < kept.bottom + reach &&
         kept.top - reach < low.bottom;
}

}  // namespace

LayoutPlan planFromLayout(const std::vector<LineBox>& lines, int imageHeight) {
  constexpr double kMargin = 0.8;
  const double lowest = kMargin * static_cast<double>(kMinimumTextHeight) * imageHeight;
  std::vector<LineBox> kept;
  std::vector<LineBox> low;
  for (const LineBox& line : lines) {
    (line.bottom - line.top < lowest ? low : kept).push_back(line);
  }

  LayoutPlan plan;
  // Kept lines are at least a hundredth of the picture high, so there are few of them.
  for (const LineBox& line : low) {
    const bool besideKept =
        std::any_of(kept.begin(), kept.end(), [&](const LineBox& k) { return nextTo(line, k); });
    if (!besideKept) plan.tooLow.push_back(line);
  }
  if (!kept.empty()) {
    std::vector<int> heights;
    for (const LineBox& line : kept) heights.push_back(line.bottom - line.top);
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    plan.medianHeight = heights[heights.size() / 2];
  }
  return plan;
}

}  // namespace pagereader
