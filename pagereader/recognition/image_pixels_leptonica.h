#pragma once

#include <opencv2/core.hpp>

struct Pix;

namespace pagereader {

/// A Leptonica image's pixels as 32-bit colour words, seen by OpenCV without a copy where the
/// image holds such words already: a screenshot is tens of megabytes, and the recogniser needs
/// only the parts it cuts out and a scaled copy in OpenCV's channel order.
class PagePixels {
 public:
  /// The pixels of `pix` at any depth; empty when they cannot be converted.
  explicit PagePixels(Pix* pix);
  ~PagePixels();
  PagePixels(const PagePixels&) = delete;
  PagePixels& operator=(const PagePixels&) = delete;

  bool empty() const { return words_.empty(); }
  /// One 4-channel element per pixel, channels in the byte order of Leptonica's words.
  const cv::Mat& words() const { return words_; }

 private:
  Pix* colour_ = nullptr;  ///< a reference of our own, so the words stay alive
  cv::Mat words_;
};

/// `words` (the whole of `PagePixels::words()`, a part of it or an image made from one) as
/// 8-bit BGR.
cv::Mat bgrFromWords(const cv::Mat& words);

}  // namespace pagereader
