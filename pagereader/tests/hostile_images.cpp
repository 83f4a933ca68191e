#include "hostile_images.h"

#include <algorithm>
#include <cstdio>  // the JPEG library's header needs FILE
#include <cstdlib>
#include <iterator>
#include <stdexcept>

#include <jpeglib.h>
#include <leptonica/allheaders.h>

namespace pagereader::hostile {
namespace {

// Screen of 1x1 with a two-colour table.
const Bytes kGifHead = {'G',  'I', 'F', '8', '9', 'a', 1,   0,   1,  0,
                        0x80, 0,   0,   0,   0,   0,   255, 255, 255};
// One 1x1 frame: descriptor, LZW code size 2, one sub-block (clear, pixel 0, end), terminator.
const Bytes kOnePixelFrame = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0};

// Element by element: a range insert trips a false -Wstringop-overread in GCC 12's Release build.
void append(Bytes& to, const Bytes& from) {
  std::copy(from.begin(), from.end(), std::back_inserter(to));
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

namespace {

void putBigEndian(Bytes& bytes, std::uint64_t value, int width) {
  for (int i = width - 1; i >= 0; --i)
    bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

std::uint64_t bigEndianAt(const Bytes& bytes, std::size_t at, int width) {
  std::uint64_t value = 0;
  for (int i = 0; i < width; ++i) value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return value;
}

Bytes segment(std::uint16_t marker, const Bytes& body) {
  Bytes bytes;
  putBigEndian(bytes, marker, 2);
  putBigEndian(bytes, body.size() + 2, 2);
  append(bytes, body);
  return bytes;
}

// The coding parameters after the code-block size: style and wavelet, as encoded.
struct EncodedStyle {
  Bytes head;  ///< COD: style flags, progression, layers, transform
  int levels = 0;
  int blockWidth = 0, blockHeight = 0;
  Bytes tail;  ///< code-block style and wavelet
};

Bytes styleBody(const EncodedStyle& encoded, const Jp2Coding& coding, int blockExponent,
                bool component) {
  Bytes body;
  if (component) {
    body = {0, static_cast<unsigned char>(coding.precinctExponent ? 1 : 0)};
  } else {
    body = encoded.head;
    body[0] = static_cast<unsigned char>((body[0] & ~1) | (coding.precinctExponent ? 1 : 0));
    if (coding.layers) {
      body[2] = static_cast<unsigned char>(coding.layers >> 8);
      body[3] = static_cast<unsigned char>(coding.layers);
    }
  }
  const int levels = coding.levels >= 0 ? coding.levels : encoded.levels;
  body.push_back(static_cast<unsigned char>(levels));
  body.push_back(
      static_cast<unsigned char>(blockExponent ? blockExponent - 2 : encoded.blockWidth));
  body.push_back(
      static_cast<unsigned char>(blockExponent ? blockExponent - 2 : encoded.blockHeight));
  append(body, encoded.tail);
  for (int r = 0; coding.precinctExponent && r <= levels; ++r) {
    body.push_back(static_cast<unsigned char>(coding.precinctExponent * 17));
  }
  return body;
}

}  // namespace

Bytes jp2(const Jp2Coding& coding) {
  Pix* pix = pixCreate(37, 23, 8);
  pixSetAll(pix);
  l_uint8* data = nullptr;
  size_t size = 0;
  const bool failed = pixWriteMemJp2k(&data, &size, pix, 34, 0, 0, 0) != 0;
  pixDestroy(&pix);
  if (failed) throw std::runtime_error("Leptonica wrote no JPEG 2000");
  const Bytes file(data, data + size);
  lept_free(data);

  // Boxes before the codestream, with the image header's offset; then the codestream.
  std::size_t at = 0;
  std::size_t imageHeader = 0;
  Bytes boxes;
  while (bigEndianAt(file, at + 4, 4) != 0x6A703263) {  // "jp2c"
    const std::size_t length = bigEndianAt(file, at, 4);
    for (std::size_t i = at; i + 4 <= at + length; ++i) {
      if (bigEndianAt(file, i, 4) == 0x69686472) imageHeader = i + 4 - at + boxes.size();  // "ihdr"
    }
    boxes.insert(boxes.end(), file.begin() + static_cast<std::ptrdiff_t>(at),
                 file.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
  }
  const Bytes codestream(file.begin() + static_cast<std::ptrdiff_t>(at + 8), file.end());

  // The main header's segments, then the tile-part and what follows it.
  at = 2;
  std::uint32_t width = 0, height = 0;
  EncodedStyle encoded;
  Bytes otherSegments;
  while (bigEndianAt(codestream, at, 2) != 0xFF90) {
    const std::uint16_t marker = static_cast<std::uint16_t>(bigEndianAt(codestream, at, 2));
    const std::size_t length = bigEndianAt(codestream, at + 2, 2);
    const std::size_t body = at + 4;
    if (marker == 0xFF51) {
      width = static_cast<std::uint32_t>(bigEndianAt(codestream, body + 2, 4));
      height = static_cast<std::uint32_t>(bigEndianAt(codestream, body + 6, 4));
    } else if (marker == 0xFF52) {
      encoded.head.assign(codestream.begin() + static_cast<std::ptrdiff_t>(body),
                          codestream.begin() + static_cast<std::ptrdiff_t>(body + 5));
      encoded.levels = codestream[body + 5];
      encoded.blockWidth = codestream[body + 6];
      encoded.blockHeight = codestream[body + 7];
      encoded.tail = {codestream[body + 8], codestream[body + 9]};
    } else {
      otherSegments.insert(otherSegments.end(),
                           codestream.begin() + static_cast<std::ptrdiff_t>(at),
                           codestream.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
    }
    at += 2 + length;
  }
  Bytes tilePart(codestream.begin() + static_cast<std::ptrdiff_t>(at), codestream.end());
  if (coding.tilePartCodeBlockExponent) {
    const Bytes cod =
        segment(0xFF52, styleBody(encoded, coding, coding.tilePartCodeBlockExponent, false));
    tilePart.insert(tilePart.begin() + 12, cod.begin(), cod.end());
    const std::uint64_t partLength = bigEndianAt(tilePart, 6, 4) + cod.size();
    for (int i = 0; i < 4; ++i)
      tilePart[6 + static_cast<std::size_t>(i)] =
          static_cast<unsigned char>(partLength >> (24 - 8 * i));
  }

  if (coding.width) width = coding.width;
  if (coding.height) height = coding.height;
  Bytes siz;
  putBigEndian(siz, 0, 2);
  for (std::uint32_t value : {width, height, 0u, 0u, coding.tileWidth ? coding.tileWidth : width,
                              coding.tileHeight ? coding.tileHeight : height, 0u, 0u}) {
    putBigEndian(siz, value, 4);
  }
  putBigEndian(siz, coding.subsampling.size(), 2);
  for (int factor : coding.subsampling) {
    siz.insert(siz.end(),
               {7, static_cast<unsigned char>(factor), static_cast<unsigned char>(factor)});
  }
  Bytes rebuilt = {0xFF, 0x4F};
  append(rebuilt, segment(0xFF51, siz));
  append(rebuilt, segment(0xFF52, styleBody(encoded, coding, coding.codeBlockExponent, false)));
  if (coding.componentCodeBlockExponent) {
    append(rebuilt,
           segment(0xFF53, styleBody(encoded, coding, coding.componentCodeBlockExponent, true)));
  }
  append(rebuilt, otherSegments);
  for (std::size_t i = 0; i < coding.comments; ++i) append(rebuilt, segment(0xFF64, {0, 1}));
  if (coding.unknownMarker) append(rebuilt, segment(coding.unknownMarker, {0, 0}));
  append(rebuilt, tilePart);
  if (coding.bareCodestream) return rebuilt;

  Bytes header = boxes;
  for (int i = 0; i < 4; ++i) {
    header[imageHeader + static_cast<std::size_t>(i)] =
        static_cast<unsigned char>(height >> (24 - 8 * i));
    header[imageHeader + 4 + static_cast<std::size_t>(i)] =
        static_cast<unsigned char>(width >> (24 - 8 * i));
  }
  header[imageHeader + 9] = static_cast<unsigned char>(coding.subsampling.size());
  putBigEndian(header, rebuilt.size() + 8, 4);
  append(header, {'j', 'p', '2', 'c'});
  append(header, rebuilt);
  return header;
}

}  // namespace pagereader::hostile
