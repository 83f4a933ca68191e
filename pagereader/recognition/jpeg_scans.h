#pragma once

#include <cstddef>
#include <span>

namespace pagereader {

/// How many scans the JPEG decoder reads for the first image in `bytes`: the marker segments
/// are walked as the decoder walks them, with each scan's entropy-coded data skipped to the
/// next marker, up to the end of the image. Counting stops once it passes `stopAbove`, so that a
/// file of endless scans costs no more than that. Nothing is decoded.
std::size_t jpegScanCount(std::span<const unsigned char> bytes, std::size_t stopAbove);

}  // namespace pagereader
