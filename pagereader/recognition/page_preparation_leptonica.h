#pragma once

struct Pix;

namespace pagereader {

/// How a picture is turned into what the engine reads best.
struct PreparationPlan {
  double upscale = 1.0;  ///< factor applied to both sides
  bool invertDark = true;
};

/// An 8-bit grey copy of `source` with dark text on a light background: transparent parts laid
/// on white, a mostly dark picture inverted, then scaled by `plan.upscale`. Nothing on failure.
Pix* prepareForRecognition(Pix* source, const PreparationPlan& plan);

}  // namespace pagereader
