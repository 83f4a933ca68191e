#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "recognition/image_limits.h"

namespace pagereader {

/// What a JPEG 2000 decoder builds for a file, read from its headers.
struct Jp2Outline {
  std::int64_t width = 0;   ///< of the image area, as decoded
  std::int64_t height = 0;  ///< of the image area, as decoded
  int components = 0;       ///< decoded, after any palette
  int maxPrecision = 0;     ///< bits per sample
  std::uint64_t tiles = 0;
  int maxDecompositionLevels = 0;
  /// Code-blocks over all tiles, components, resolutions and bands, with the smallest
  /// code-blocks and precincts among the coding styles that may apply to each.
  std::uint64_t codeBlocks = 0;
  /// Packet slots the decoder's progression tables hold: per tile, one more than its layers,
  /// times its resolutions, components and largest precinct count.
  std::uint64_t packetSlots = 0;
  std::uint64_t markers = 0;  ///< marker segments, tile-part headers included
};

/// The outline of a JP2 file or bare codestream: the boxes up to the first codestream, then
/// the codestream's main header and every tile-part header, walked by their lengths. Nothing
/// when the structure is broken or strays from the plain form encoders write (an unknown
/// marker, a tile-part that does not end where the next begins, components sampled below the
/// image grid, which the decoder's caller cannot handle), or when a count passes the JPEG 2000
/// bounds of `limits`; the walk stops there. Nothing is decoded.
std::optional<Jp2Outline> jp2Outline(std::span<const unsigned char> bytes,
                                     const ImageLimits& limits);

}  // namespace pagereader
