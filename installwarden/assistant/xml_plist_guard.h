#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "assistant/binary_plist_guard.h"

namespace installwarden {

/// Whether the XML property list `bytes` is nested at most `maxDepth` elements deep and holds at
/// most `maxNodes` elements. The plist parser and the release of its tree recurse once per
/// level, so a hostile file could otherwise overflow the stack.
///
/// One pass over the bytes that errs towards too much: comments, CDATA sections, processing
/// instructions and quoted attribute values are skipped for closing tags, yet a tag opened
/// inside them still counts; a closing tag only closes the innermost element of its own name;
/// a self-closing tag is a node that does not nest. Whatever else could change the shape is
/// refused: text before the first tag, a tag without its end, an internal DTD subset (its
/// entities could expand into elements).
bool xmlPlistWithinBounds(std::string_view bytes, std::size_t maxDepth = kMaxPlistDepth,
                          std::uint64_t maxNodes = kMaxPlistNodes);

}  // namespace installwarden
