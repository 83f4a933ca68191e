#include "core/text_trim.h"

#include "utf8/utf8.h"

namespace pagereader {

namespace {

/// The characters values and recognised lines are trimmed of.
bool isWhitespaceOrNewline(char32_t c) {
  if (c >= 0x09 && c <= 0x0D) return true;
  switch (c) {
    case 0x20:    // space
    case 0x85:    // next line
    case 0xA0:    // no-break space
    case 0x1680:  // ogham space mark
    case 0x202F:  // narrow no-break space
    case 0x205F:  // medium mathematical space
    case 0x3000:  // ideographic space
    case 0x2028:  // line separator (Zl)
    case 0x2029:  // paragraph separator (Zp)
      return true;
    default:
      return c >= 0x2000 && c <= 0x200A;  // en quad .. hair space
  }
}

}  // namespace


std::string trimWhitespaceAndNewlines(std::string_view text) {
  std::size_t keptBegin = text.size();
  std::size_t keptEnd = 0;
  for (std::size_t position = 0; position < text.size();) {
    const utf8::Decoded decoded = utf8::decodeAt(text, position);
    if (!decoded.valid || !isWhitespaceOrNewline(decoded.codePoint)) {
      if (keptBegin == text.size()) keptBegin = position;
      keptEnd = position + decoded.length;
    }
    position += decoded.length;
  }
  if (keptBegin >= keptEnd) return {};
  return std::string(text.substr(keptBegin, keptEnd - keptBegin));
}

}  // namespace pagereader
