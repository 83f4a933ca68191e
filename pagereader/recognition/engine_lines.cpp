#include "recognition/engine_lines.h"

#include <algorithm>

#include "utf8/utf8.h"

namespace pagereader {
namespace {

bool isCjk(char32_t c) {
  return (c >= 0x2E80 && c <= 0x2FDF) ||  // radicals
         (c >= 0x3000 && c <= 0x303F) ||  // CJK symbols and punctuation
         (c >= 0x3040 && c <= 0x30FF) ||  // kana
         (c >= 0x3100 && c <= 0x312F) ||  // bopomofo
         (c >= 0x3400 && c <= 0x4DBF) ||  // extension A
         (c >= 0x4E00 && c <= 0x9FFF) ||  // unified ideographs
         (c >= 0xF900 && c <= 0xFAFF) ||  // compatibility ideographs
         (c >= 0xFE30 && c <= 0xFE4F) ||  // compatibility forms
         (c >= 0xFF01 && c <= 0xFF60) ||  // full-width punctuation and letters
         (c >= 0x20000 && c <= 0x3134F);  // extensions B to G
}

}  // namespace

std::string removeSpacesBetweenCjk(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool previousIsCjk = false;
  std::size_t pendingSpaces = 0;  // spaces seen since the last other character
  for (std::size_t position = 0; position < text.size();) {
    const utf8::Decoded decoded = utf8::decodeAt(text, position);
    if (decoded.valid && decoded.codePoint == ' ') {
      ++pendingSpaces;
    } else {
      const bool cjk = decoded.valid && isCjk(decoded.codePoint);
      if (!(previousIsCjk && cjk)) out.append(pendingSpaces, ' ');
      pendingSpaces = 0;
      out.append(text.substr(position, decoded.length));
      previousIsCjk = cjk;
    }
    position += decoded.length;
  }
  out.append(pendingSpaces, ' ');
  return out;
}

std::vector<Observation> observationsFromEngineLines(const std::vector<EngineLine>& lines,
                                                     int width, int height) {
  std::vector<Observation> observations;
  if (width <= 0 || height <= 0) return observations;
  const double w = width;
  const double h = height;
  for (const EngineLine& line : lines) {
    const NormalizedBox box{line.left / w, (h - line.bottom) / h, (line.right - line.left) / w,
                            (line.bottom - line.top) / h};
    if (box.height < static_cast<double>(kMinimumTextHeight)) continue;
    const float confidence = std::clamp(line.confidence / 100.0f, 0.0f, 1.0f);
    observations.push_back(
        Observation{Candidate{removeSpacesBetweenCjk(line.text), confidence}, box});
  }
  return observations;
}

}  // namespace pagereader
