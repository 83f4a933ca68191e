#include "hostile_images.h"

#include <leptonica/allheaders.h>

#include <stdexcept>

namespace pagereader::hostile {
namespace {

// Screen of 1x1 with a two-colour table.
const Bytes kGifHead = {'G',  'I', 'F', '8', '9', 'a', 1,   0,   1,  0,
                        0x80, 0,   0,   0,   0,   0,   255, 255, 255};
// One 1x1 frame: descriptor, LZW code size 2, one sub-block (clear, pixel 0, end), terminator.
const Bytes kOnePixelFrame = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0};

void append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

// Where the scan that starts at `sos` ends: at the first marker that is neither a stuffed byte
// nor a restart.
std::size_t scanEnd(const Bytes& jpeg, std::size_t sos) {
  std::size_t at = sos + 2 + (std::size_t{jpeg[sos + 2]} << 8 | jpeg[sos + 3]);
  while (at + 1 < jpeg.size() &&
         !(jpeg[at] == 0xFF && jpeg[at + 1] != 0 && (jpeg[at + 1] & 0xF8) != 0xD0)) {
    ++at;
  }
  return at;
}

}  // namespace

Bytes gifWithTinySubBlocks(std::size_t subBlocks, std::size_t extensions) {
  Bytes bytes = kGifHead;
  bytes.reserve(bytes.size() + 2 * subBlocks + 3 * extensions + kOnePixelFrame.size() + 1);
  for (std::size_t e = 0; e < extensions; ++e) {
    bytes.insert(bytes.end(), {0x21, 0xFE});
    const std::size_t share = subBlocks / extensions + (e < subBlocks % extensions ? 1 : 0);
    for (std::size_t i = 0; i < share; ++i) bytes.insert(bytes.end(), {1, 'x'});
    bytes.push_back(0);
  }
  append(bytes, kOnePixelFrame);
  bytes.push_back(0x3B);
  return bytes;
}

Bytes gifOfOnePixelFrames(std::size_t frames) {
  Bytes bytes = kGifHead;
  bytes.reserve(bytes.size() + frames * kOnePixelFrame.size() + 1);
  for (std::size_t i = 0; i < frames; ++i) append(bytes, kOnePixelFrame);
  bytes.push_back(0x3B);
  return bytes;
}

Bytes jpegWithRepeatedScan(int side, std::size_t repeats) {
  Pix* pix = pixCreate(side, side, 8);
  pixSetAll(pix);
  l_uint8* data = nullptr;
  size_t size = 0;
  const bool failed = pixWriteMemJpeg(&data, &size, pix, 75, 1) != 0;
  pixDestroy(&pix);
  if (failed) throw std::runtime_error("Leptonica wrote no JPEG");
  const Bytes jpeg(data, data + size);
  lept_free(data);

  // The first scan whose spectral selection starts above 0 is an AC scan.
  for (std::size_t at = 2; at + 3 < jpeg.size();) {
    const int marker = jpeg[at + 1];
    const std::size_t length = std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
    if (marker != 0xDA) {
      at += 2 + length;
      continue;
    }
    const std::size_t end = scanEnd(jpeg, at);
    if (jpeg[at + 2 + length - 3] == 0) {  // Ss: a DC scan
      at = end;
      continue;
    }
    Bytes bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(end));
    const Bytes scan(jpeg.begin() + static_cast<std::ptrdiff_t>(at),
                     jpeg.begin() + static_cast<std::ptrdiff_t>(end));
    bytes.reserve(jpeg.size() + repeats * scan.size());
    for (std::size_t i = 0; i < repeats; ++i) append(bytes, scan);
    bytes.insert(bytes.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(end), jpeg.end());
    return bytes;
  }
  throw std::runtime_error("Leptonica wrote no AC scan");
}

}  // namespace pagereader::hostile
