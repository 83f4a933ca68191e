#include "recognition/image_pixels_leptonica.h"

#include <leptonica/allheaders.h>

namespace pagereader {

cv::Mat bgrPixels(Pix* pix) {
  Pix* rgb = pixConvertTo32(pix);
  if (rgb == nullptr) return {};
  const int width = pixGetWidth(rgb);
  const int height = pixGetHeight(rgb);
  const l_uint32* data = pixGetData(rgb);
  const int wordsPerLine = pixGetWpl(rgb);
  cv::Mat bgr(height, width, CV_8UC3);
  for (int y = 0; y < height; ++y) {
    const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wordsPerLine;
    auto* out = bgr.ptr<cv::Vec3b>(y);
    for (int x = 0; x < width; ++x) {
      l_int32 r = 0, g = 0, b = 0;
      extractRGBValues(line[x], &r, &g, &b);
      out[x] = cv::Vec3b(static_cast<uchar>(b), static_cast<uchar>(g), static_cast<uchar>(r));
    }
  }
  pixDestroy(&rgb);
  return bgr;
}

}  // namespace pagereader
