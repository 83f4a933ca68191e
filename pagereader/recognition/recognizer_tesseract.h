#pragma once

#include <string>

#include "core/recognizer.h"

namespace pagereader {

/// The fixed recognition settings. Only the benchmark's tuning runs change them.
struct TesseractSettings {
  std::string tessdataDir;
  std::string languages = "chi_sim+chi_tra+eng";
  int pageSegMode = 3;         ///< Tesseract's page segmentation mode
  int resolution = 144;        ///< pixels per inch claimed for the picture
  int thresholdingMethod = 0;  ///< 0 global Otsu, 1 tiled Otsu, 2 Sauvola
  double upscale = 1.0;        ///< fixed factor; 1 leaves the size alone
  int targetLineHeight = 0;    ///< upscale so that the median line is this high; 0 never
  double maxUpscale = 3.0;
  bool invertDark = true;
};

/// Tesseract's LSTM engine over images from `LeptonicaImageLoader`. The engine starts on the
/// first `recognize`, single-threaded, with all of its messages silenced.
class TesseractRecognizer final : public Recognizer {
 public:
  explicit TesseractRecognizer(TesseractSettings settings);
  Recognition recognize(const Image& image) override;

 private:
  TesseractSettings settings_;
};

}  // namespace pagereader
