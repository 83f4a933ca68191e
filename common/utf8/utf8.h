#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace utf8 {

/// One decoded character: its code point and how many bytes it took. An invalid or truncated
/// sequence decodes as a single byte with `valid` false.
struct Decoded {
  char32_t codePoint;
  std::size_t length;
  bool valid;
};

/// Decodes the character that starts at `text[position]`; `position` must be inside `text`.
Decoded decodeAt(std::string_view text, std::size_t position);

/// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, no truncated
/// sequences.
bool isValid(std::string_view bytes);

/// Appends `codePoint` to `out` as UTF-8.
void append(std::string& out, char32_t codePoint);

}  // namespace utf8
