#pragma once

#include <filesystem>

#include "core/recognizer.h"

namespace pagereader {

/// Finds text lines with a neural detector and reads each with a neural recogniser (the models
/// in `modelDirectory`, run by OpenCV), lines in parallel over `workers` threads (four at most,
/// since each holds a recogniser of its own). Takes images from `LeptonicaImageLoader`. The
/// models load on the first `recognize`.
class NeuralRecognizer final : public Recognizer {
 public:
  NeuralRecognizer(std::filesystem::path modelDirectory, unsigned workers);
  Recognition recognize(const Image& image) override;
  /// The detector reads any image on its grid of at least 32 pixels a side.
  PixelExtent minimumImageSize() const override { return {1, 1}; }

 private:
  std::filesystem::path modelDirectory_;
  unsigned workers_;
};

}  // namespace pagereader
