#include "recognition/page_preparation_leptonica.h"

#include <leptonica/allheaders.h>

namespace pagereader {
namespace {

// Owns one Leptonica picture for the length of a scope.
class PixHolder {
 public:
  explicit PixHolder(Pix* pix) : pix_(pix) {}
  ~PixHolder() { pixDestroy(&pix_); }
  PixHolder(const PixHolder&) = delete;
  PixHolder& operator=(const PixHolder&) = delete;
  Pix* get() const { return pix_; }
  Pix* release() {
    Pix* pix = pix_;
    pix_ = nullptr;
    return pix;
  }

 private:
  Pix* pix_;
};

Pix* toGrey(Pix* source) {
  PixHolder noColormap(pixRemoveColormap(source, REMOVE_CMAP_BASED_ON_SRC));
  if (!noColormap.get()) return nullptr;
  const bool hasAlpha = pixGetDepth(noColormap.get()) == 32 && pixGetSpp(noColormap.get()) == 4;
  PixHolder opaque(hasAlpha ? pixAlphaBlendUniform(noColormap.get(), 0xffffff00)
                            : pixClone(noColormap.get()));
  if (!opaque.get()) return nullptr;
  return pixConvertTo8(opaque.get(), 0);
}

}  // namespace

Pix* prepareForRecognition(Pix* source, const PreparationPlan& plan) {
  PixHolder grey(toGrey(source));
  if (!grey.get()) return nullptr;

  // The engine expects dark text on a light page; dark themes are the other way round.
  l_float32 median = 255;
  if (plan.invertDark &&
      pixGetRankValueMasked(grey.get(), nullptr, 0, 0, 2, 0.5f, &median, nullptr) == 0 &&
      median < 128) {
    pixInvert(grey.get(), grey.get());
  }
  if (plan.upscale > 1.0) {
    return pixScaleGrayLI(grey.get(), static_cast<l_float32>(plan.upscale),
                          static_cast<l_float32>(plan.upscale));
  }
  return grey.release();
}

}  // namespace pagereader
