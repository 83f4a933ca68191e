#pragma once

#include <opencv2/core.hpp>

struct Pix;

namespace pagereader {

/// The pixels of a Leptonica image of any depth as 8-bit BGR; empty when they cannot be converted.
cv::Mat bgrPixels(Pix* pix);

}  // namespace pagereader
