#include "reading/ink_extent.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace pagereader {
namespace {

constexpr int kFaintest = 24;  ///< differences below this are anti-aliasing or noise

int pixel(std::span<const std::uint8_t> grey, int width, int x, int y) {
  return grey[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
              static_cast<std::size_t>(x)];
}

}  // namespace

namespace {

// The crop's background and the difference from it that counts as ink; nothing when flat.
struct InkMeasure {
  int background = 0;
  int threshold = 0;
};

std::optional<InkMeasure> measure(std::span<const std::uint8_t> grey, int width, int height) {
  if (width <= 0 || height <= 0 ||
      grey.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    return std::nullopt;
  }
  const auto at = [&](int x, int y) { return pixel(grey, width, x, y); };
  std::vector<int> border;
  for (int x = 0; x < width; ++x) {
    border.push_back(at(x, 0));
    border.push_back(at(x, height - 1));
  }
  for (int y = 0; y < height; ++y) {
    border.push_back(at(0, y));
    border.push_back(at(width - 1, y));
  }
  std::nth_element(border.begin(), border.begin() + static_cast<std::ptrdiff_t>(border.size() / 2),
                   border.end());
  const int background = border[border.size() / 2];
  int strongest = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x)
      strongest = std::max(strongest, std::abs(at(x, y) - background));
  }
  const int threshold = std::max(kFaintest, strongest / 3);
  if (strongest <= threshold) return std::nullopt;
  return InkMeasure{background, threshold};
}

}  // namespace

std::optional<InkExtent> inkExtent(std::span<const std::uint8_t> grey, int width, int height) {
  const std::optional<InkMeasure> ink = measure(grey, width, height);
  if (!ink) return std::nullopt;
  InkExtent extent{width, height, 0, 0};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (std::abs(pixel(grey, width, x, y) - ink->background) <= ink->threshold) continue;
      extent.left = std::min(extent.left, x);
      extent.top = std::min(extent.top, y);
      extent.right = std::max(extent.right, x + 1);
      extent.bottom = std::max(extent.bottom, y + 1);
    }
  }
  return extent;
}

std::vector<bool> inkColumns(std::span<const std::uint8_t> grey, int width, int height) {
  std::vector<bool> columns(static_cast<std::size_t>(std::max(0, width)), false);
  const std::optional<InkMeasure> ink = measure(grey, width, height);
  if (!ink) return columns;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (std::abs(pixel(grey, width, x, y) - ink->background) > ink->threshold) {
        columns[static_cast<std::size_t>(x)] = true;
      }
    }
  }
  return columns;
}

}  // namespace pagereader
