#include "recognition/dark_panels.h"

namespace pagereader {

bool isDarkPanel(const Region& region, int imageWidth, int imageHeight) {
  constexpr int kMinHeight = 14;
  constexpr int kMinWidth = 16;
  constexpr double kMinDarkShare = 0.8;
  constexpr double kMinDarkEdgeShare = 0.85;
  constexpr double kMaxImageShare = 0.9;
  if (region.width < kMinWidth || region.height < kMinHeight || region.edgePixels == 0) {
    return false;
  }
  const double area = static_cast<double>(region.width) * region.height;
  const double imageArea = static_cast<double>(imageWidth) * imageHeight;
  if (area > kMaxImageShare * imageArea) return false;
  return static_cast<double>(region.darkPixels) >= kMinDarkShare * area &&
         static_cast<double>(region.darkEdgePixels) >=
             kMinDarkEdgeShare * static_cast<double>(region.edgePixels);
}

}  // namespace pagereader
