// Feeds arbitrary bytes through the same checks and decoders as an image file, then through the
// conversion the recogniser applies, so that no file can crash pagereader or make it allocate
// without bound.

#include <leptonica/allheaders.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "recognition/image_loader_leptonica.h"
#include "recognition/line_finder_leptonica.h"
#include "recognition/page_preparation_leptonica.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = (setMsgSeverity(L_SEVERITY_NONE), true);
  (void)quiet;
  const auto image = pagereader::decodeFirstImage(std::span(data, size), pagereader::ImageLimits{});
  if (image) {
    Pix* grey = pagereader::greyForRecognition(image->pix(), true);
    if (grey && pagereader::invertDarkPanels(grey, 11)) pagereader::findTextLines(grey);
    pixDestroy(&grey);
  }
  return 0;
}
