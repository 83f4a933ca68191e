#include "reading/reading_order.h"

#include <algorithm>
#include <numeric>

namespace pagereader {

std::vector<std::size_t> readingOrder(const std::vector<LineExtent>& lines) {
  std::vector<std::size_t> byTop(lines.size());
  std::iota(byTop.begin(), byTop.end(), 0);
  std::stable_sort(byTop.begin(), byTop.end(),
                   [&](std::size_t a, std::size_t b) { return lines[a].top < lines[b].top; });
  std::vector<std::size_t> order;
  order.reserve(lines.size());
  for (std::size_t rowStart = 0; rowStart < byTop.size();) {
    const LineExtent& first = lines[byTop[rowStart]];
    std::size_t rowEnd = rowStart + 1;
    while (rowEnd < byTop.size()) {
      const LineExtent& next = lines[byTop[rowEnd]];
      if ((next.top + next.bottom) / 2 > first.bottom) break;
      ++rowEnd;
    }
    const auto begin = byTop.begin() + static_cast<std::ptrdiff_t>(rowStart);
    const auto end = byTop.begin() + static_cast<std::ptrdiff_t>(rowEnd);
    std::stable_sort(begin, end,
                     [&](std::size_t a, std::size_t b) { return lines[a].left < lines[b].left; });
    order.insert(order.end(), begin, end);
    rowStart = rowEnd;
  }
  return order;
}

}  // namespace pagereader
