#include "recognition/image_limits.h"

#include <cstddef>

namespace pagereader {

bool dimensionsAllowed(std::int64_t width, std::int64_t height, const ImageLimits& limits) {
  if (width <= 0 || height <= 0) return false;
  if (width > limits.maxSide || height > limits.maxSide) return false;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= limits.maxPixels;
}

namespace {

// Reads the GIF block structure without decompressing anything.
class GifWalker {
 public:
  GifWalker(std::span<const unsigned char> bytes, const ImageLimits& limits)
      : bytes_(bytes), limits_(limits) {}

  std::optional<DeclaredSize> walk() {
    if (!skip(6)) return std::nullopt;  // "GIF87a" or "GIF89a"; the caller checked the format
    unsigned char screen[7];
    if (!read(screen, sizeof screen)) return std::nullopt;
    if ((screen[4] & 0x80) && !skip(colorTableBytes(screen[4]))) return std::nullopt;

    DeclaredSize size;
    bool sawFrame = false;
    for (;;) {
      unsigned char introducer = 0;
      if (!read(&introducer, 1)) return std::nullopt;
      if (introducer == 0x3B) break;  // trailer
      if (introducer == 0x21) {       // extension: label, then data sub-blocks, all of them kept
        if (!skip(1) || !skipSubBlocks(&extensionSubBlocks_)) return std::nullopt;
      } else if (introducer == 0x2C) {  // image descriptor
        if (++frames_ > limits_.maxGifFrames) return std::nullopt;
        unsigned char descriptor[9];
        if (!read(descriptor, sizeof descriptor)) return std::nullopt;
        const std::int64_t width = descriptor[4] | (descriptor[5] << 8);
        const std::int64_t height = descriptor[6] | (descriptor[7] << 8);
        if (!sawFrame) size.width = width, size.height = height, sawFrame = true;
        size.decodedPixels += static_cast<std::uint64_t>(width * height);
        if ((descriptor[8] & 0x80) && !skip(colorTableBytes(descriptor[8]))) return std::nullopt;
        if (!skip(1) || !skipSubBlocks()) return std::nullopt;  // LZW code size, then data
      } else {
        return std::nullopt;
      }
    }
    if (!sawFrame) return std::nullopt;
    return size;
  }

 private:
  static std::size_t colorTableBytes(unsigned char flags) {
    return std::size_t{3} << ((flags & 0x07) + 1);
  }

  bool skip(std::size_t count) {
    if (bytes_.size() - position_ < count) return false;
    position_ += count;
    return true;
  }

  bool read(unsigned char* out, std::size_t count) {
    if (bytes_.size() - position_ < count) return false;
    for (std::size_t i = 0; i < count; ++i) out[i] = bytes_[position_ + i];
    position_ += count;
    return true;
  }

  // Skips a chain of data sub-blocks; counts them into `kept` (the decoder keeps each one),
  // failing once that count passes its bound.
  bool skipSubBlocks(std::uint64_t* kept = nullptr) {
    for (;;) {
      unsigned char blockSize = 0;
      if (!read(&blockSize, 1)) return false;
      if (blockSize == 0) return true;
      if (kept && ++*kept > limits_.maxGifExtensionSubBlocks) return false;
      if (!skip(blockSize)) return false;
    }
  }

  std::span<const unsigned char> bytes_;
  const ImageLimits& limits_;
  std::size_t position_ = 0;
  std::uint64_t frames_ = 0;
  std::uint64_t extensionSubBlocks_ = 0;
};

std::int64_t littleEndianInt32(std::span<const unsigned char> bytes, std::size_t offset) {
  const std::uint32_t value = static_cast<std::uint32_t>(bytes[offset]) |
                              static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
                              static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
                              static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<DeclaredSize> gifDeclaredSize(std::span<const unsigned char> bytes,
                                            const ImageLimits& limits) {
  return GifWalker(bytes, limits).walk();
}

std::optional<DeclaredSize> bmpDeclaredSize(std::span<const unsigned char> bytes) {
  constexpr std::size_t kWidthOffset = 18;  // 14-byte file header, then the information header
  constexpr std::size_t kHeightOffset = 22;
  if (bytes.size() < kHeightOffset + 4) return std::nullopt;
  const std::int64_t width = littleEndianInt32(bytes, kWidthOffset);
  const std::int64_t height = littleEndianInt32(bytes, kHeightOffset);
  const std::int64_t rows = height < 0 ? -height : height;
  if (width <= 0 || rows <= 0) return DeclaredSize{width, rows, 0};
  return DeclaredSize{width, rows,
                      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(rows)};
}

}  // namespace pagereader
