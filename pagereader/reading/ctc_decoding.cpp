#include "reading/ctc_decoding.h"

#include <algorithm>

namespace pagereader {
namespace {

std::size_t bestClass(std::span<const float> row) {
  return static_cast<std::size_t>(std::max_element(row.begin(), row.end()) - row.begin());
}

}  // namespace

std::vector<DecodedCharacter> decodeGreedy(std::span<const float> probabilities, std::size_t steps,
                                           std::size_t classes,
                                           const HesitantCharacters& hesitant) {
  std::vector<DecodedCharacter> characters;
  if (classes < 2) return characters;
  steps = std::min(steps, probabilities.size() / classes);
  const auto row = [&](std::size_t step) { return probabilities.subspan(step * classes, classes); };
  std::vector<std::size_t> best(steps);
  for (std::size_t step = 0; step < steps; ++step) best[step] = bestClass(row(step));
  for (std::size_t step = 0; step < steps; ++step) {
    if (best[step] != 0) continue;
    const std::size_t other = 1 + bestClass(row(step).subspan(1));
    const bool nextToSame =
        (step > 0 && best[step - 1] == other) || (step + 1 < steps && best[step + 1] == other);
    if (row(step)[other] >= hesitant.floor && !nextToSame && hesitant.eligible &&
        hesitant.eligible(other)) {
      best[step] = other;
    }
  }
  std::size_t previous = 0;
  for (std::size_t step = 0; step < steps; ++step) {
    const std::size_t index = best[step];
    const float probability = row(step)[index];
    if (index != 0 && index == previous) {
      characters.back().lastStep = step;
      characters.back().probability = std::max(characters.back().probability, probability);
    } else if (index != 0) {
      characters.push_back({index, step, step, probability});
    }
    previous = index;
  }
  return characters;
}

}  // namespace pagereader
