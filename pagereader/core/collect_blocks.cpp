#include "core/collect_blocks.h"

#include "core/text_trim.h"

namespace pagereader {

std::vector<OcrBlock> collectBlocks(const std::vector<Observation>& observations, ImageSize image,
                                    double scale) {
  std::vector<OcrBlock> blocks;
  for (const Observation& observation : observations) {
    if (!observation.topCandidate) continue;
    std::string text = trimWhitespaceAndNewlines(observation.topCandidate->text);
    if (text.empty()) continue;
    blocks.push_back(OcrBlock{std::move(text), pixelBox(observation.boundingBox, image, scale),
                              static_cast<double>(observation.topCandidate->confidence)});
  }
  return blocks;
}

}  // namespace pagereader
