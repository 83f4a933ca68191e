#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

/// Small files built the way an attacker would build large ones, for the image loader's tests.
namespace pagereader::hostile {

using Bytes = std::vector<unsigned char>;

/// A 1x1 GIF whose frame follows a comment made of `subBlocks` one-byte sub-blocks, spread
/// over `extensions` comment extensions.
Bytes gifWithTinySubBlocks(std::size_t subBlocks, std::size_t extensions = 1);

/// A GIF of `frames` frames of one pixel each.
Bytes gifOfOnePixelFrames(std::size_t frames);

/// A progressive grey JPEG of `side` x `side` pixels, written by the JPEG library with a valid
/// script of `bitSteps` x (1 + `acBands`) scans: the DC coefficients and each of `acBands`
/// (1 to 63) bands of AC coefficients sent in `bitSteps` (1 to 11) steps of successive
/// approximation.
Bytes progressiveJpeg(int side, int acBands, int bitSteps);

/// An uncompressed 8-bit TIFF, built by hand so that every directory detail can be chosen.
struct TiffPicture {
  int width = 5;
  int height = 3;
  int samplesPerPixel = 1;  ///< 1 (grey) or 3 (RGB)
  bool bigEndian = false;
  bool bigTiff = false;
  int orientation = 0;                ///< 0: no orientation tag
  std::uint16_t orientationType = 3;  ///< SHORT; LONG is 4
  int orientationEntries = 1;
  int secondPageOrientation = -1;  ///< -1: one page only; 0: a second page without the tag
};
Bytes tiff(const TiffPicture& picture);

/// The sample the TIFF stores at (`x`, `y`), counted from its first row.
std::uint8_t storedSample(int x, int y, int sample);

/// A grey JPEG 2000 picture encoded by Leptonica, with its coding parameters rewritten the way
/// an attacker would rewrite them; the packets stay those of the picture.
struct Jp2Coding {
  std::uint32_t width = 0;  ///< 0: as encoded (in the codestream and the image header box)
  std::uint32_t height = 0;
  std::uint32_t tileWidth = 0;  ///< 0: one tile
  std::uint32_t tileHeight = 0;
  int levels = -1;                     ///< decomposition levels; -1: as encoded
  int codeBlockExponent = 0;           ///< 0: as encoded; else 2 to 10, both sides
  int layers = 0;                      ///< 0: as encoded
  int precinctExponent = 0;            ///< 0: precincts of 2^15; else this at every resolution
  std::vector<int> subsampling{1};     ///< one entry per component
  int componentCodeBlockExponent = 0;  ///< nonzero: a COC for component 0 in the main header
  int tilePartCodeBlockExponent = 0;   ///< nonzero: a COD in the tile-part header
  std::size_t comments = 0;            ///< extra comment segments in the main header
  std::uint16_t unknownMarker = 0;     ///< nonzero: a segment with this marker in the main header
  bool bareCodestream = false;
};
Bytes jp2(const Jp2Coding& coding);

}  // namespace pagereader::hostile
