#pragma once

#include "canvas.h"

/// `scene` as a scanned printout: turned by `degrees` about its centre on off-white paper,
/// slightly soft and grainy (grain from `seed`). Each truth box keeps its size and follows its
/// centre, so reading order stays that of the page.
RenderedScene scanned(const RenderedScene& scene, double degrees, unsigned seed);
