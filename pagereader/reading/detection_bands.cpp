#include "reading/detection_bands.h"

#include <algorithm>

namespace pagereader {

std::vector<DetectionBand> detectionBands(int rows, int bandRows, int overlap) {
  if (rows <= 0) return {};
  overlap = std::clamp(overlap, 0, bandRows - 1);
  if (rows <= bandRows || bandRows <= 0) return {{0, 0, rows}};
  const int stride = bandRows - overlap;
  const int count = 1 + (rows - bandRows + stride - 1) / stride;
  std::vector<DetectionBand> bands(static_cast<std::size_t>(count));
  // Spread evenly, the last one ending at the last row.
  for (int i = 0; i < count; ++i) {
    bands[static_cast<std::size_t>(i)].top =
        static_cast<int>(static_cast<long long>(rows - bandRows) * i / (count - 1));
  }
  for (std::size_t i = 0; i < bands.size(); ++i) {
    bands[i].keepFrom = i == 0 ? 0 : bands[i - 1].keepTo;
    bands[i].keepTo =
        i + 1 == bands.size() ? rows : (bands[i + 1].top + bands[i].top + bandRows) / 2;
  }
  return bands;
}

}  // namespace pagereader
