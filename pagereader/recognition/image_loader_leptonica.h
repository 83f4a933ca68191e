#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/recognizer.h"
#include "recognition/image_limits.h"

struct Pix;

namespace pagereader {

/// An image decoded by Leptonica; owns its pixels.
class LeptonicaImage final : public Image {
 public:
  explicit LeptonicaImage(Pix* pix) : pix_(pix) {}
  ~LeptonicaImage() override;
  LeptonicaImage(const LeptonicaImage&) = delete;
  LeptonicaImage& operator=(const LeptonicaImage&) = delete;

  std::uint32_t width() const override;
  std::uint32_t height() const override;
  /// The pixels, as stored in the file (depth and colour map untouched).
  Pix* pix() const { return pix_; }

 private:
  Pix* pix_;
};

/// The first image (first page, first frame) held in `bytes`, decoded only when its format is one
/// we read and its header promises dimensions within `limits`; nothing otherwise.
std::unique_ptr<LeptonicaImage> decodeFirstImage(std::span<const unsigned char> bytes,
                                                 const ImageLimits& limits);

/// Reads the regular file at `path` (no FIFOs, devices or directories; at most
/// `limits.maxFileBytes`) and decodes its first image.
std::unique_ptr<LeptonicaImage> loadImageFile(const std::string& path, const ImageLimits& limits);

/// `loadImageFile` behind the loader interface, with the default limits.
class LeptonicaImageLoader final : public ImageLoader {
 public:
  std::unique_ptr<Image> load(const std::string& path) override;
};

}  // namespace pagereader
