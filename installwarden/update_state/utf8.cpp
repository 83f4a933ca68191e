#include "update_state/utf8.h"

namespace installwarden {

bool isValidUtf8(std::string_view bytes) {
  const auto size = bytes.size();
  std::size_t i = 0;
  const auto at = [&bytes](std::size_t index) { return static_cast<unsigned char>(bytes[index]); };
  const auto isContinuation = [&](std::size_t index) {
    return index < size && (at(index) & 0xC0) == 0x80;
  };
  while (i < size) {
    const unsigned char lead = at(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The second byte's range excludes overlong forms, surrogates and values above U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (i + 1 >= size || at(i + 1) < low || at(i + 1) > high) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if (!isContinuation(i + k)) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace installwarden
