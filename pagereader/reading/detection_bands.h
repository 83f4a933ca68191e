#pragma once

#include <vector>

namespace pagereader {

/// One horizontal band of the detector's input: it is read from row `top` on, and the rows
/// [keepFrom, keepTo) of the page come from it.
struct DetectionBand {
  int top = 0;
  int keepFrom = 0;
  int keepTo = 0;
};

/// Bands of `bandRows` rows that cover `rows` rows, each overlapping the next by at least
/// `overlap` rows; each keeps the rows nearer its middle than its neighbours', so that no kept
/// row lies within half the overlap of a band's cut edge. One band of all rows when they fit.
/// The detector's working memory grows with its input, so a tall page is read a band at a time.
std::vector<DetectionBand> detectionBands(int rows, int bandRows, int overlap);

}  // namespace pagereader
