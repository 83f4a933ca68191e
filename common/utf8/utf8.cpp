#include "utf8/utf8.h"

#include <string>

namespace utf8 {

Decoded decodeAt(std::string_view text, std::size_t position) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(position);
  const Decoded invalid{lead, 1, false};
  if (lead < 0x80) return {lead, 1, true};

  std::size_t length = 0;
  char32_t codePoint = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, codePoint = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, codePoint = lead & 0x0F, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, codePoint = lead & 0x07, smallest = 0x10000;
  } else {
    return invalid;
  }
  if (text.size() - position < length) return invalid;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(position + i);
    if ((next & 0xC0) != 0x80) return invalid;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  if (codePoint < smallest || codePoint > 0x10FFFF ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return invalid;
  }
  return {codePoint, length, true};
}

bool isValid(std::string_view bytes) {
  for (std::size_t position = 0; position < bytes.size();) {
    const Decoded decoded = decodeAt(bytes, position);
    if (!decoded.valid) return false;
    position += decoded.length;
  }
  return true;
}

void append(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

}  // namespace utf8
