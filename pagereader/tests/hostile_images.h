#pragma once

#include <cstddef>
#include <cstdint>
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

}  // namespace pagereader::hostile
