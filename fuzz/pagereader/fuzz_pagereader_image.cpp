// Feeds arbitrary bytes to every header walk, whatever format they claim to be, then through the
// same checks and decoders as an image file and the conversion the recogniser applies, so that
// no file can crash pagereader or make it allocate without bound.

#include <leptonica/allheaders.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "recognition/image_limits.h"
#include "recognition/image_loader_leptonica.h"
#include "recognition/image_pixels_leptonica.h"
#include "recognition/jp2_codestream.h"
#include "recognition/jpeg_scans.h"
#include "recognition/tiff_orientation.h"

namespace {

// Fewer pixels than the program allows, so that an image within the limits stays small and
// anything that still grows large stands out.
pagereader::ImageLimits fuzzingLimits() {
  pagereader::ImageLimits limits;
  limits.maxPixels = 1 << 22;
  return limits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = (setMsgSeverity(L_SEVERITY_NONE), true);
  (void)quiet;
  static const pagereader::ImageLimits limits = fuzzingLimits();
  const std::span<const unsigned char> bytes(data, size);

  (void)pagereader::gifDeclaredSize(bytes, limits);
  (void)pagereader::bmpDeclaredSize(bytes);
  (void)pagereader::jpegScanCount(bytes, limits.maxJpegScans);
  (void)pagereader::withFirstPageUpright(bytes);
  (void)pagereader::jp2Outline(bytes, limits);

  const auto image = pagereader::decodeFirstImage(bytes, limits);
  if (image) {
    const pagereader::PagePixels page(image->pix());
    if (!page.empty()) (void)pagereader::bgrFromWords(page.words());
  }
  return 0;
}
