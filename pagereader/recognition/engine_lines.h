#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/recognizer.h"

namespace pagereader {

/// A text line as the OCR engine reports it, in pixels of the picture it was given
/// (origin upper-left, right and bottom exclusive).
struct EngineLine {
  std::string text;
  float confidence = 0;  ///< 0 to 100
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

/// Lines lower than this fraction of the picture's height are left out.
inline constexpr float kMinimumTextHeight = 0.01f;

/// `text` with the spaces between two CJK characters removed: the engine separates Chinese
/// characters as if they were words. Spaces next to other characters stay.
std::string removeSpacesBetweenCjk(std::string_view text);

/// The engine's lines of a `width` x `height` picture as observations, in the same order: boxes
/// normalised with the origin at the lower-left corner, confidences scaled to 0..1, CJK spacing
/// removed, lines lower than `kMinimumTextHeight` of the height left out.
std::vector<Observation> observationsFromEngineLines(const std::vector<EngineLine>& lines,
                                                     int width, int height);

}  // namespace pagereader
