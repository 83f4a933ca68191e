#pragma once

#include <vector>

#include "recognition/layout_plan.h"

struct Pix;

namespace pagereader {

/// The text lines of `grey` (dark text on light), found without the engine: dark strokes
/// joined sideways into lines and words. Its cost grows with the picture's size only, unlike
/// the engine's layout analysis, whose paragraph step grows with the square of the number of
/// lines. Regions taller than half the picture (photos, panels) are left out; nothing on failure.
std::vector<LineBox> findTextLines(Pix* grey);

}  // namespace pagereader
