#include "recognition/upscale_plan.h"

#include <algorithm>
#include <cmath>

namespace pagereader {

double upscaleFactor(int lineHeight, int width, int height, const UpscaleLimits& limits) {
  if (lineHeight <= 0 || width <= 0 || height <= 0) return 1.0;
  if (lineHeight >= limits.targetLineHeight) return 1.0;
  const double pixels = static_cast<double>(width) * static_cast<double>(height);
  const double factor =
      std::min({static_cast<double>(limits.targetLineHeight) / lineHeight, limits.maxFactor,
                std::sqrt(static_cast<double>(limits.maxPixels) / pixels),
                static_cast<double>(limits.maxSide) / std::max(width, height)});
  return factor > 1.0 ? factor : 1.0;
}

}  // namespace pagereader
