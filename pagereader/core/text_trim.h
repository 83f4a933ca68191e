#pragma once

#include <string>
#include <string_view>

namespace pagereader {

/// `text` (UTF-8) without leading and trailing whitespace-and-newline characters (Unicode general
/// category Z, U+0009 to U+000D and U+0085); inner ones stay.
/// Bytes that are not valid UTF-8 count as ordinary characters.
std::string trimWhitespaceAndNewlines(std::string_view text);

}  // namespace pagereader
