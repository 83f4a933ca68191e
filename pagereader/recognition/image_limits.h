#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pagereader {

/// Bounds that keep a hostile or enormous file from exhausting memory. A side is limited to what
/// the recogniser accepts; the pixel count to what it can work on within about a gigabyte.
struct ImageLimits {
  std::uint64_t maxFileBytes = 256ull << 20;
  std::int64_t maxSide = 32767;
  std::uint64_t maxPixels = 64ull << 20;
  int maxSamplesPerPixel = 4;
  int maxBitsPerSample = 16;
  /// A GIF's decoder keeps every frame and every extension sub-block of the file, at about 90
  /// and 55 bytes of bookkeeping each, whatever their size; no real animation comes near.
  std::uint64_t maxGifFrames = 1 << 16;
  std::uint64_t maxGifExtensionSubBlocks = 1 << 18;
  /// Each scan of a JPEG is another pass over the whole image; encoders write about ten (the
  /// common progressive script has ten for colour, six for grey).
  std::size_t maxJpegScans = 100;
  /// A JPEG 2000 decoder sets up every tile's coding parameters at once (some kilobytes each),
  /// a structure for every code-block (about 250 bytes) and precinct of a tile, progression
  /// tables of one slot per layer, resolution, component and precinct, and an index entry per
  /// marker segment. Encoders use one tile or tiles of hundreds of pixels, code-blocks of 32 or
  /// 64 pixels a side, a few dozen layers at most, and no more levels than halve the image to a
  /// pixel.
  std::uint64_t maxJp2Tiles = 4096;
  int maxJp2DecompositionLevels = 15;
  std::uint64_t maxJp2CodeBlocks = 1 << 19;
  std::uint64_t maxJp2PacketSlots = 1 << 22;
  std::uint64_t maxJp2Markers = 1 << 17;
};

/// True when an image of `width` x `height` pixels may be decoded under `limits`.
bool dimensionsAllowed(std::int64_t width, std::int64_t height, const ImageLimits& limits);

/// What a file's headers promise before anything is decoded.
struct DeclaredSize {
  std::int64_t width = 0;           ///< of the first image
  std::int64_t height = 0;          ///< of the first image
  std::uint64_t decodedPixels = 0;  ///< all that the decoder holds at once, every frame included
};

/// A GIF's first frame and the pixel count of all its frames, which its decoder keeps in memory
/// together; nothing when the block structure is malformed or truncated, or holds more frames
/// or extension sub-blocks than `limits` allow (the walk stops there). Nothing is decompressed.
std::optional<DeclaredSize> gifDeclaredSize(std::span<const unsigned char> bytes,
                                            const ImageLimits& limits);

/// A BMP's size from its information header (a negative height means rows stored top-down);
/// nothing when the header is cut short.
std::optional<DeclaredSize> bmpDeclaredSize(std::span<const unsigned char> bytes);

}  // namespace pagereader
