#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace installwarden {

/// Deepest container nesting accepted in a binary property list.
inline constexpr std::size_t kMaxPlistDepth = 512;
/// Most nodes a binary property list may expand to, a shared object counted at each use.
inline constexpr std::uint64_t kMaxPlistNodes = 1'048'576;

/// Whether the object graph of the binary property list `bytes` ("bplist00") is well formed,
/// free of cycles, nested at most `maxDepth` objects deep and expands to at most `maxNodes`
/// nodes. The plist parser recurses once per level and copies shared objects at each use, so a
/// hostile file could otherwise exhaust the stack or memory.
bool binaryPlistWithinBounds(std::string_view bytes, std::size_t maxDepth = kMaxPlistDepth,
                             std::uint64_t maxNodes = kMaxPlistNodes);

}  // namespace installwarden
