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

/// A progressive grey JPEG of `side` x `side` pixels whose first AC scan is written again
/// `repeats` more times.
Bytes jpegWithRepeatedScan(int side, std::size_t repeats);

}  // namespace pagereader::hostile
