#include "core/box.h"

namespace pagereader {

std::array<double, 4> pixelBox(const NormalizedBox& box, ImageSize image, double scale) {
  const double px = box.x * image.width;
  const double py = box.y * image.height;
  const double pw = box.width * image.width;
  const double ph = box.height * image.height;
  const double top = image.height - (py + ph);
  return {px / scale, top / scale, pw / scale, ph / scale};
}

}  // namespace pagereader
