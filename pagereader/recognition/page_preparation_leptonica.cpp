#include "recognition/page_preparation_leptonica.h"

#include <leptonica/allheaders.h>

#include "recognition/dark_panels.h"

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

}  // namespace

Pix* greyForRecognition(Pix* source, bool invertDark) {
  PixHolder noColormap(pixRemoveColormap(source, REMOVE_CMAP_BASED_ON_SRC));
  if (!noColormap.get()) return nullptr;
  const bool hasAlpha = pixGetDepth(noColormap.get()) == 32 && pixGetSpp(noColormap.get()) == 4;
  PixHolder opaque(hasAlpha ? pixAlphaBlendUniform(noColormap.get(), 0xffffff00)
                            : pixClone(noColormap.get()));
  if (!opaque.get()) return nullptr;
  PixHolder grey(pixConvertTo8(opaque.get(), 0));
  if (!grey.get()) return nullptr;

  l_float32 median = 255;
  if (invertDark &&
      pixGetRankValueMasked(grey.get(), nullptr, 0, 0, 2, 0.5f, &median, nullptr) == 0 &&
      median < 128) {
    pixInvert(grey.get(), grey.get());
  }
  return grey.release();
}

// How dark the region `box` of the binary picture `dark` is, inside and along its edges.
Region measure(Pix* dark, Box* box) {
  constexpr l_int32 kBand = 2;
  l_int32 x = 0, y = 0, w = 0, h = 0, count = 0;
  boxGetGeometry(box, &x, &y, &w, &h);
  Region region{w, h, 0, 0, 0};
  pixCountPixelsInRect(dark, box, &count, nullptr);
  region.darkPixels = static_cast<std::uint64_t>(count);
  if (w <= 2 * kBand || h <= 2 * kBand) return region;
  const l_int32 bands[4][4] = {{x, y, w, kBand},
                               {x, y + h - kBand, w, kBand},
                               {x, y + kBand, kBand, h - 2 * kBand},
                               {x + w - kBand, y + kBand, kBand, h - 2 * kBand}};
  for (const auto& band : bands) {
    Box* edge = boxCreate(band[0], band[1], band[2], band[3]);
    if (edge && pixCountPixelsInRect(dark, edge, &count, nullptr) == 0) {
      region.darkEdgePixels += static_cast<std::uint64_t>(count);
      region.edgePixels +=
          static_cast<std::uint64_t>(band[2]) * static_cast<std::uint64_t>(band[3]);
    }
    boxDestroy(&edge);
  }
  return region;
}

// Turns one panel of `grey` into dark text on white: inverted when what stands on it is lighter
// than the panel itself, then stretched so that its background, the panel's most common
// brightness, becomes white.
bool lightenPanel(Pix* grey, Box* box) {
  l_int32 x = 0, y = 0, w = 0, h = 0;
  boxGetGeometry(box, &x, &y, &w, &h);
  PixHolder panel(pixClipRectangle(grey, box, nullptr));
  if (!panel.get()) return false;
  l_float32 darkest = 0, background = 0, lightest = 0;
  if (pixGetRankValueMasked(panel.get(), nullptr, 0, 0, 1, 0.05f, &darkest, nullptr) != 0 ||
      pixGetRankValueMasked(panel.get(), nullptr, 0, 0, 1, 0.5f, &background, nullptr) != 0 ||
      pixGetRankValueMasked(panel.get(), nullptr, 0, 0, 1, 0.95f, &lightest, nullptr) != 0) {
    return false;
  }
  if (lightest - background > background - darkest) {
    pixInvert(panel.get(), panel.get());
    background = 255 - background;
  }
  if (background > 0) pixMultConstantGray(panel.get(), 255.0f / background);
  return pixRasterop(grey, x, y, w, h, PIX_SRC, panel.get(), 0, 0) == 0;
}

bool invertDarkPanels(Pix* grey, int closing) {
  // Mid-grey counts as dark here: a coloured button is often no darker than that.
  constexpr l_int32 kDarkBelow = 160;
  PixHolder dark(pixThresholdToBinary(grey, kDarkBelow));
  if (!dark.get()) return false;
  PixHolder filled(pixCloseBrick(nullptr, dark.get(), closing, closing));
  if (!filled.get()) return false;
  Boxa* regions = pixConnCompBB(filled.get(), 8);
  if (!regions) return false;
  const int width = pixGetWidth(grey);
  const int height = pixGetHeight(grey);
  bool ok = true;
  for (l_int32 i = 0; ok && i < boxaGetCount(regions); ++i) {
    Box* box = boxaGetBox(regions, i, L_CLONE);
    const Region region = measure(dark.get(), box);
    if (isDarkPanel(region, width, height)) ok = lightenPanel(grey, box);
    boxDestroy(&box);
  }
  boxaDestroy(&regions);
  return ok;
}

Pix* enlargedGrey(Pix* grey, double factor) {
  const auto f = static_cast<l_float32>(factor);
  return pixScaleGrayLI(grey, f, f);
}

}  // namespace pagereader
