#pragma once

#include <cstdint>
#include <string>

#include "core/recognizer.h"

namespace pagereader {

/// The fixed recognition settings; only the benchmark's tuning runs change them. The values
/// won on the screenshot benchmark (bench/pagereader): sparse-text segmentation, because a
/// screenshot is no printed page; Sauvola's local thresholds, for dimmed text and grey panels;
/// dark themes and dark buttons turned light; small text enlarged to a median line of 28 pixels.
struct TesseractSettings {
  std::string tessdataDir;
  std::string languages = "chi_sim+chi_tra+eng";  ///< this order read best
  int pageSegMode = 11;        ///< Tesseract's page segmentation mode: sparse text
  int resolution = 144;        ///< pixels per inch claimed; screenshots carry none
  int thresholdingMethod = 2;  ///< 0 global Otsu, 1 tiled Otsu, 2 Sauvola
  int targetLineHeight = 28;   ///< enlarge so that the median line is this high; 0 never
  double maxUpscale = 3.0;
  std::uint64_t maxRecognitionPixels = 36'000'000;  ///< bounds the enlarged picture
  bool invertDark = true;                           ///< dark themes read as light ones
  int panelClosing = 11;  ///< closing square for `invertDarkPanels`; 0 does not use it
};

/// Tesseract's LSTM engine over images from `LeptonicaImageLoader`. The engine starts on the
/// first `recognize`, single-threaded, with all of its messages silenced.
class TesseractRecognizer final : public Recognizer {
 public:
  explicit TesseractRecognizer(TesseractSettings settings);
  Recognition recognize(const Image& image) override;
  /// Sauvola's window needs 7 pixels on the shorter side; the engine refuses anything less.
  PixelExtent minimumImageSize() const override { return {7, 7}; }

 private:
  TesseractSettings settings_;
};

}  // namespace pagereader
