#pragma once

#include <optional>
#include <span>
#include <vector>

namespace pagereader {

/// A copy of the TIFF in `bytes` whose first page says it is stored upright: every orientation
/// tag of the first page's directory rewritten as top-left, so that a decoder which applies the
/// tag hands back the raster as stored. Nothing when the first page has no other orientation
/// (or no readable directory); the file is then decoded as it is.
std::optional<std::vector<unsigned char>> withFirstPageUpright(
    std::span<const unsigned char> bytes);

}  // namespace pagereader
