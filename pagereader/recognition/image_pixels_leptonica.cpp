#include "recognition/image_pixels_leptonica.h"

#include <bit>

#include <leptonica/allheaders.h>

namespace pagereader {
namespace {

// Where a colour's byte lies in a word as it sits in memory.
constexpr int byteOf(int shift) {
  return std::endian::native == std::endian::little ? shift / 8 : 3 - shift / 8;
}

}  // namespace

PagePixels::PagePixels(Pix* pix) {
  if (pix == nullptr) return;
  // pixConvertTo32 copies an image that is 32-bit already; a clone shares its pixels.
  colour_ = pixGetDepth(pix) == 32 ? pixClone(pix) : pixConvertTo32(pix);
  if (colour_ == nullptr) return;
  words_ = cv::Mat(pixGetHeight(colour_), pixGetWidth(colour_), CV_8UC4, pixGetData(colour_),
                   static_cast<std::size_t>(pixGetWpl(colour_)) * sizeof(l_uint32));
}

PagePixels::~PagePixels() { pixDestroy(&colour_); }

cv::Mat bgrFromWords(const cv::Mat& words) {
  cv::Mat bgr(words.rows, words.cols, CV_8UC3);
  const int fromTo[] = {byteOf(L_BLUE_SHIFT), 0, byteOf(L_GREEN_SHIFT), 1, byteOf(L_RED_SHIFT), 2};
  cv::mixChannels(&words, 1, &bgr, 1, fromTo, 3);
  return bgr;
}

}  // namespace pagereader
