#pragma once

#include <vector>

namespace pagereader {

/// A text line found by layout analysis, in pixels (right and bottom exclusive).
struct LineBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

/// What layout analysis says about the recognition to come.
struct LayoutPlan {
  std::vector<LineBox> tooLow;  ///< lines that could never be kept: blanked before recognising
  int medianHeight = 0;         ///< of the other lines; 0 when there are none
};

/// Splits the lines of a picture `imageHeight` pixels high into those clearly lower than the
/// minimum text height (with a margin, since recognition measures lines anew) and the rest.
/// Blanking the former saves recognising what would be left out anyway: a large picture of
/// small text would otherwise take minutes. A low line next to a kept one (a dot, an accent, a
/// mark above or below it) is not blanked, so that it stays part of its line.
LayoutPlan planFromLayout(const std::vector<LineBox>& lines, int imageHeight);

}  // namespace pagereader
