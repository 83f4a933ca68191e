#include "reading/detection_geometry.h"

#include <algorithm>
#include <cmath>

namespace pagereader {
namespace {

double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// Positive when `p` lies to the right of the edge from `a` to `b`, with y downward.
double side(Point a, Point b, Point p) {
  return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

int roundedToMultiple(double value, int multiple) {
  const int rounded = static_cast<int>(std::lround(value / multiple)) * multiple;
  return std::max(multiple, rounded);
}

}  // namespace

PixelSize detectorInputSize(PixelSize image, int maxSide) {
  const int longest = std::max(image.width, image.height);
  const double ratio = longest > maxSide ? static_cast<double>(maxSide) / longest : 1.0;
  return {std::min(roundedToMultiple(image.width * ratio, 32), maxSide / 32 * 32),
          std::min(roundedToMultiple(image.height * ratio, 32), maxSide / 32 * 32)};
}

Quad clockwiseFromTopLeft(const std::array<Point, 4>& corners) {
  std::array<Point, 4> byX = corners;
  std::sort(byX.begin(), byX.end(), [](Point a, Point b) { return a.x < b.x; });
  // The two leftmost corners give the left side, upper one first; likewise on the right.
  const auto [topLeft, bottomLeft] =
      byX[0].y <= byX[1].y ? std::pair{byX[0], byX[1]} : std::pair{byX[1], byX[0]};
  const auto [topRight, bottomRight] =
      byX[2].y <= byX[3].y ? std::pair{byX[2], byX[3]} : std::pair{byX[3], byX[2]};
  return {topLeft, topRight, bottomRight, bottomLeft};
}

double shortSide(const Quad& rectangle) {
  return std::min(distance(rectangle[0], rectangle[1]), distance(rectangle[1], rectangle[2]));
}

double meanInside(const ProbabilityMap& map, const Quad& quad) {
  double minX = quad[0].x, maxX = quad[0].x, minY = quad[0].y, maxY = quad[0].y;
  for (const Point& p : quad) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const int left = std::max(0, static_cast<int>(std::floor(minX)));
  const int right = std::min(map.width - 1, static_cast<int>(std::ceil(maxX)));
  const int top = std::max(0, static_cast<int>(std::floor(minY)));
  const int bottom = std::min(map.height - 1, static_cast<int>(std::ceil(maxY)));
  // A corner order of either turning direction: inside means on the same side of all edges.
  double sum = 0;
  std::size_t count = 0;
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const Point centre{x + 0.5, y + 0.5};
      bool right_of_all = true, left_of_all = true;
      for (std::size_t i = 0; i < 4; ++i) {
        const double s = side(quad[i], quad[(i + 1) % 4], centre);
        right_of_all = right_of_all && s >= 0;
        left_of_all = left_of_all && s <= 0;
      }
      if (!right_of_all && !left_of_all) continue;
      sum += map.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(map.width) +
                        static_cast<std::size_t>(x)];
      ++count;
    }
  }
  return count == 0 ? 0.0 : sum / static_cast<double>(count);
}

Quad grown(const Quad& rectangle, double sideways, double upAndDown) {
  const double width = distance(rectangle[0], rectangle[1]);
  const double height = distance(rectangle[1], rectangle[2]);
  if (width <= 0 || height <= 0) return rectangle;
  // Unit vectors along the top edge and down the right edge.
  const Point along{(rectangle[1].x - rectangle[0].x) / width,
                    (rectangle[1].y - rectangle[0].y) / width};
  const Point down{(rectangle[2].x - rectangle[1].x) / height,
                   (rectangle[2].y - rectangle[1].y) / height};
  const auto moved = [&](Point p, double a, double d) {
    return Point{p.x + sideways * a * along.x + upAndDown * d * down.x,
                 p.y + sideways * a * along.y + upAndDown * d * down.y};
  };
  return {moved(rectangle[0], -1, -1), moved(rectangle[1], 1, -1), moved(rectangle[2], 1, 1),
          moved(rectangle[3], -1, 1)};
}

Quad expanded(const Quad& rectangle, double ratio) {
  const double width = distance(rectangle[0], rectangle[1]);
  const double height = distance(rectangle[1], rectangle[2]);
  if (width <= 0 || height <= 0) return rectangle;
  const double grow = width * height * ratio / (2 * (width + height));
  return grown(rectangle, grow, grow);
}

Quad withReadingMargin(const Quad& line) {
  const double height = std::min(distance(line[0], line[1]), distance(line[1], line[2]));
  return grown(line, kSideMargin * height, kTopAndBottomMargin * height);
}

Quad scaledToImage(const Quad& quad, double scaleX, double scaleY, double width, double height) {
  Quad out;
  for (std::size_t i = 0; i < 4; ++i) {
    out[i] = {std::clamp(quad[i].x * scaleX, 0.0, width),
              std::clamp(quad[i].y * scaleY, 0.0, height)};
  }
  return out;
}

CropSize cropSize(const Quad& quad) {
  return {std::max(distance(quad[0], quad[1]), distance(quad[3], quad[2])),
          std::max(distance(quad[0], quad[3]), distance(quad[1], quad[2]))};
}

bool readsVertically(CropSize crop) { return crop.width > 0 && crop.height / crop.width >= 1.5; }

}  // namespace pagereader
