#include "hostile_images.h"

#include <cstdio>  // the JPEG library's header needs FILE
#include <cstdlib>

#include <jpeglib.h>

namespace pagereader::hostile {
namespace {

// Screen of 1x1 with a two-colour table.
const Bytes kGifHead = {'G',  'I', 'F', '8', '9', 'a', 1,   0,   1,  0,
                        0x80, 0,   0,   0,   0,   0,   255, 255, 255};
// One 1x1 frame: descriptor, LZW code size 2, one sub-block (clear, pixel 0, end), terminator.
const Bytes kOnePixelFrame = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0};

void append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

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

Bytes progressiveJpeg(int side, int acBands, int bitSteps) {
  // The script: each band first sent without its `bitSteps - 1` lowest bits, then one bit more
  // per refinement scan. DC goes first, as every AC scan needs it.
  std::vector<jpeg_scan_info> script;
  const auto addBand = [&](int first, int last) {
    script.push_back({1, {0}, first, last, 0, bitSteps - 1});
    for (int bit = bitSteps - 1; bit > 0; --bit)
      script.push_back({1, {0}, first, last, bit, bit - 1});
  };
  addBand(0, 0);
  for (int band = 0; band < acBands; ++band)
    addBand(1 + 63 * band / acBands, 63 * (band + 1) / acBands);

  jpeg_compress_struct encoder{};
  jpeg_error_mgr errors{};
  encoder.err = jpeg_std_error(&errors);
  jpeg_create_compress(&encoder);
  unsigned char* data = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&encoder, &data, &size);
  encoder.image_width = static_cast<JDIMENSION>(side);
  encoder.image_height = static_cast<JDIMENSION>(side);
  encoder.input_components = 1;
  encoder.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&encoder);
  encoder.scan_info = script.data();
  encoder.num_scans = static_cast<int>(script.size());
  jpeg_start_compress(&encoder, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(side));
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x)
      row[static_cast<std::size_t>(x)] = static_cast<JSAMPLE>((x * y) & 0xFF);
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&encoder, rows, 1);
  }
  jpeg_finish_compress(&encoder);
  jpeg_destroy_compress(&encoder);
  Bytes bytes(data, data + size);
  std::free(data);
  return bytes;
}

}  // namespace pagereader::hostile
