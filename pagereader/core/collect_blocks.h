#pragma once

#include <vector>

#include "core/box.h"
#include "core/ocr_output.h"
#include "core/recognizer.h"

namespace pagereader {

/// One block per observation, in order. Skips observations without a candidate or whose text
/// trims to nothing; boxes go through `pixelBox`, confidences are widened to double as they are.
std::vector<OcrBlock> collectBlocks(const std::vector<Observation>& observations, ImageSize image,
                                    double scale);

}  // namespace pagereader
