#pragma once

#include <cstdint>

namespace pagereader {

/// Bounds for enlarging a picture before recognition.
struct UpscaleLimits {
  int targetLineHeight = 0;     ///< wanted median line height in pixels; 0 never enlarges
  double maxFactor = 1.0;       ///< at most this much on each side
  std::uint64_t maxPixels = 0;  ///< the enlarged picture holds at most this many pixels
  int maxSide = 32767;          ///< nor a side longer than the engine accepts
};

/// The factor by which a `width` x `height` picture whose median text line is `lineHeight`
/// pixels high is enlarged: enough to bring the line to the target, within `limits`; 1 when
/// the lines are already high enough, none were found, or the limits leave no room.
double upscaleFactor(int lineHeight, int width, int height, const UpscaleLimits& limits);

}  // namespace pagereader
