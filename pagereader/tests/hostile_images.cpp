#include "hostile_images.h"

#include <algorithm>
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

std::uint8_t storedSample(int x, int y, int sample) {
  return static_cast<std::uint8_t>(x * 37 + y * 101 + sample * 53);
}

namespace {

// Writes TIFF fields in the picture's byte order and directory layout.
class TiffWriter {
 public:
  explicit TiffWriter(const TiffPicture& picture) : picture_(picture) {}

  void put(std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
      const int shift = 8 * (picture_.bigEndian ? width - 1 - i : i);
      bytes_.push_back(static_cast<unsigned char>(value >> shift));
    }
  }
  void putOffset(std::uint64_t value) { put(value, picture_.bigTiff ? 8 : 4); }

  // One directory entry holding a single value of `type` (3 SHORT, 4 LONG) in the entry itself.
  void entry(std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
    put(tag, 2);
    put(type, 2);
    putOffset(1);
    const int width = type == 3 ? 2 : 4;
    put(value, width);
    put(0, (picture_.bigTiff ? 8 : 4) - width);
  }

  // A directory for the stored strip; `next` is the following directory's offset, or 0.
  void directory(int orientation, int orientationEntries, std::uint64_t stripOffset,
                 std::uint64_t next) {
    const auto count = static_cast<std::uint64_t>(8 + (orientation ? orientationEntries : 0));
    picture_.bigTiff ? put(count, 8) : put(count, 2);
    const auto width = static_cast<std::uint32_t>(picture_.width);
    const auto height = static_cast<std::uint32_t>(picture_.height);
    const auto samples = static_cast<std::uint32_t>(picture_.samplesPerPixel);
    entry(256, 4, width);
    entry(257, 4, height);
    entry(258, 3, 8);
    entry(259, 3, 1);                     // no compression
    entry(262, 3, samples == 3 ? 2 : 1);  // RGB, or grey with black at zero
    entry(273, 4, static_cast<std::uint32_t>(stripOffset));
    for (int i = 0; orientation && i < orientationEntries; ++i) {
      entry(274, picture_.orientationType, static_cast<std::uint32_t>(orientation));
    }
    entry(277, 3, samples);
    entry(279, 4, width * height * samples);
    putOffset(next);
  }

  Bytes& bytes() { return bytes_; }

 private:
  const TiffPicture& picture_;
  Bytes bytes_;
};

}  // namespace

Bytes tiff(const TiffPicture& picture) {
  TiffWriter writer(picture);
  Bytes& bytes = writer.bytes();
  writer.put(picture.bigEndian ? 0x4D4D : 0x4949, 2);
  if (picture.bigTiff) {
    writer.put(43, 2);
    writer.put(8, 2);
    writer.put(0, 2);
  } else {
    writer.put(42, 2);
  }
  const std::size_t firstDirectoryAt = bytes.size();
  writer.putOffset(0);  // filled in below
  const std::size_t strip = bytes.size();
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      for (int s = 0; s < picture.samplesPerPixel; ++s) bytes.push_back(storedSample(x, y, s));
    }
  }
  if (bytes.size() % 2) bytes.push_back(0);  // directories start on a word boundary

  const std::size_t first = bytes.size();
  const std::size_t entryBytes = picture.bigTiff ? 20 : 12;
  const std::size_t second =
      first + (picture.bigTiff ? 16 : 6) +
      entryBytes *
          static_cast<std::size_t>(8 + (picture.orientation ? picture.orientationEntries : 0));
  writer.directory(picture.orientation, picture.orientationEntries, strip,
                   picture.secondPageOrientation >= 0 ? second : 0);
  if (picture.secondPageOrientation >= 0)
    writer.directory(picture.secondPageOrientation, 1, strip, 0);

  TiffWriter field(picture);
  field.putOffset(first);
  std::copy(field.bytes().begin(), field.bytes().end(),
            bytes.begin() + static_cast<std::ptrdiff_t>(firstDirectoryAt));
  return bytes;
}

}  // namespace pagereader::hostile
