#include "recognition/line_finder_leptonica.h"

#include <leptonica/allheaders.h>

namespace pagereader {

std::vector<LineBox> findTextLines(Pix* grey) {
  // Joins letters and the parts of Chinese characters across gaps of up to 8 pixels, and dots
  // and accents to their letters across one pixel.
  constexpr l_int32 kJoinAcross = 9;
  constexpr l_int32 kJoinDown = 3;
  constexpr l_int32 kDarkBelow = 160;
  std::vector<LineBox> lines;
  Pix* dark = pixThresholdToBinary(grey, kDarkBelow);
  if (!dark) return lines;
  Pix* joined = pixDilateBrick(nullptr, dark, kJoinAcross, kJoinDown);
  pixDestroy(&dark);
  if (!joined) return lines;
  Boxa* boxes = pixConnCompBB(joined, 8);
  pixDestroy(&joined);
  if (!boxes) return lines;

  const l_int32 height = pixGetHeight(grey);
  for (l_int32 i = 0; i < boxaGetCount(boxes); ++i) {
    l_int32 x = 0, y = 0, w = 0, h = 0;
    if (boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h) != 0) continue;
    // Undo the growth of the joining, which went one pixel up and one down.
    const l_int32 top = y + kJoinDown / 2;
    const l_int32 bottom = y + h - kJoinDown / 2;
    if (bottom <= top || h > height / 2) continue;
    lines.push_back(LineBox{x, top, x + w, bottom});
  }
  boxaDestroy(&boxes);
  return lines;
}

}  // namespace pagereader
