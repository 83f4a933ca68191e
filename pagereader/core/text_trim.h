#pragma once

#include <string>
#include <string_view>

namespace pagereader {

/// True for the characters that values and recognised lines are trimmed of: Unicode general
/// category Z (Zs, Zl, Zp), U+0009 to U+000D and U+0085.
bool isWhitespaceOrNewline(char32_t codePoint);

/// `text` (UTF-8) without leading and trailing whitespace-and-newline characters; inner ones stay.
/// Bytes that are not valid UTF-8 count as ordinary characters.
std::string trimWhitespaceAndNewlines(std::string_view text);

}  // namespace pagereader
