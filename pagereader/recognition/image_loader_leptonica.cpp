#include "recognition/image_loader_leptonica.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "os/files.h"
#include "recognition/jp2_codestream.h"
#include "recognition/jpeg_scans.h"
#include "recognition/tiff_orientation.h"

namespace pagereader {
namespace {

bool isTiff(l_int32 format) {
  switch (format) {
    case IFF_TIFF:
    case IFF_TIFF_PACKBITS:
    case IFF_TIFF_RLE:
    case IFF_TIFF_G3:
    case IFF_TIFF_G4:
    case IFF_TIFF_LZW:
    case IFF_TIFF_ZIP:
    case IFF_TIFF_JPEG:
      return true;
    default:
      return false;
  }
}

// Formats people hand us pictures in. Leptonica's own serialisation and the formats it cannot
// read are left out, so their parsers never see hostile bytes.
bool isSupportedFormat(l_int32 format) {
  switch (format) {
    case IFF_BMP:
    case IFF_JFIF_JPEG:
    case IFF_PNG:
    case IFF_PNM:
    case IFF_GIF:
    case IFF_JP2:
    case IFF_WEBP:
      return true;
    default:
      return isTiff(format);
  }
}

// Leptonica's format sniffing reads a fixed-size prefix without checking the length.
constexpr std::size_t kFormatProbeBytes = 12;

// What the headers promise, read without decoding any pixels.
struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint64_t decodedPixels = 0;
  l_int32 bitsPerSample = 0;
  l_int32 samplesPerPixel = 0;
};

std::optional<Header> readHeader(std::span<const unsigned char> bytes, l_int32 format,
                                 const ImageLimits& limits) {
  const l_uint8* data = bytes.data();
  const std::size_t size = bytes.size();
  l_int32 w = 0, h = 0, bps = 8, spp = 1, unused = 0;
  l_int32 failed = 1;
  switch (format) {
    case IFF_GIF:
    case IFF_BMP: {
      // Leptonica reads these two only by decoding them, so their headers are read here.
      const std::optional<DeclaredSize> declared =
          format == IFF_GIF ? gifDeclaredSize(bytes, limits) : bmpDeclaredSize(bytes);
      if (!declared) return std::nullopt;
      return Header{declared->width, declared->height, declared->decodedPixels, 8, 1};
    }
    case IFF_JFIF_JPEG:
      // Every scan is another pass over the whole image, so their count bounds the work.
      if (jpegScanCount(bytes, limits.maxJpegScans) > limits.maxJpegScans) return std::nullopt;
      failed = readHeaderMemJpeg(data, size, &w, &h, &spp, nullptr, nullptr);
      break;
    case IFF_PNG:
      failed = readHeaderMemPng(data, size, &w, &h, &bps, &spp, nullptr);
      break;
    case IFF_PNM:
      failed = readHeaderMemPnm(data, size, &w, &h, &unused, &unused, &bps, &spp);
      break;
    case IFF_JP2: {
      // The codestream decides what is decoded, not the box Leptonica takes the size from.
      const std::optional<Jp2Outline> outline = jp2Outline(bytes, limits);
      if (!outline || readHeaderMemJp2k(data, size, &w, &h, &bps, &spp, nullptr) != 0) {
        return std::nullopt;
      }
      return Header{outline->width, outline->height,
                    static_cast<std::uint64_t>(outline->width * outline->height),
                    std::max(bps, outline->maxPrecision), outline->components};
    }
    case IFF_WEBP:
      failed = readHeaderMemWebP(data, size, &w, &h, &spp);
      break;
    default:  // the TIFF family; page 0 is the one decoded
      failed = readHeaderMemTiff(data, size, 0, &w, &h, &bps, &spp, nullptr, nullptr, nullptr);
      break;
  }
  if (failed != 0 || w <= 0 || h <= 0) return std::nullopt;
  return Header{w, h, static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h), bps, spp};
}

}  // namespace

LeptonicaImage::~LeptonicaImage() { pixDestroy(&pix_); }

std::uint32_t LeptonicaImage::width() const {
  return static_cast<std::uint32_t>(pixGetWidth(pix_));
}

std::uint32_t LeptonicaImage::height() const {
  return static_cast<std::uint32_t>(pixGetHeight(pix_));
}

std::unique_ptr<LeptonicaImage> decodeFirstImage(std::span<const unsigned char> bytes,
                                                 const ImageLimits& limits) {
  if (bytes.size() < kFormatProbeBytes) return nullptr;
  l_int32 format = IFF_UNKNOWN;
  if (findFileFormatBuffer(bytes.data(), &format) != 0 || !isSupportedFormat(format)) {
    return nullptr;
  }
  const std::optional<Header> header = readHeader(bytes, format, limits);
  if (!header || !dimensionsAllowed(header->width, header->height, limits) ||
      header->decodedPixels > limits.maxPixels ||
      header->samplesPerPixel > limits.maxSamplesPerPixel ||
      header->bitsPerSample > limits.maxBitsPerSample) {
    return nullptr;
  }

  // Leptonica applies a TIFF's orientation tag; the image is recognised as stored, as a JPEG's
  // is, so the tag is rewritten as upright first.
  std::optional<std::vector<unsigned char>> upright;
  if (isTiff(format)) upright = withFirstPageUpright(bytes);
  const std::span<const unsigned char> decoded = upright ? *upright : bytes;
  Pix* pix = pixReadMem(decoded.data(), decoded.size());
  if (pix == nullptr) return nullptr;
  auto image = std::make_unique<LeptonicaImage>(pix);
  if (!dimensionsAllowed(pixGetWidth(pix), pixGetHeight(pix), limits)) return nullptr;
  return image;
}

std::unique_ptr<LeptonicaImage> loadImageFile(const std::string& path, const ImageLimits& limits) {
  const std::optional<std::string> bytes =
      os::readWholeFile(path, static_cast<std::size_t>(limits.maxFileBytes));
  if (!bytes) return nullptr;
  return decodeFirstImage({reinterpret_cast<const unsigned char*>(bytes->data()), bytes->size()},
                          limits);
}

std::unique_ptr<Image> LeptonicaImageLoader::load(const std::string& path) {
  return loadImageFile(path, ImageLimits{});
}

}  // namespace pagereader
