#pragma once

struct Pix;

namespace pagereader {

/// An 8-bit grey copy of `source` with dark text on a light background, as the engine reads
/// best: colour maps resolved, transparent parts laid on white and, when `invertDark` is set, a
/// mostly dark picture (a dark theme) inverted. Nothing on failure.
Pix* greyForRecognition(Pix* source, bool invertDark);

/// Inverts, in place, each dark panel of `grey` (see `isDarkPanel`) so that the light text on
/// it turns dark on light like the rest of the page. Panels are the dark regions left once a
/// closing with a `closing` x `closing` square has filled the light strokes inside them.
/// False on failure.
bool invertDarkPanels(Pix* grey, int closing);

/// `grey` enlarged by `factor` on both sides with linear interpolation. Nothing on failure.
Pix* enlargedGrey(Pix* grey, double factor);

}  // namespace pagereader
