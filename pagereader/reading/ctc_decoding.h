#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace pagereader {

/// One character of a greedy CTC reading: its class and the time steps it spans.
struct DecodedCharacter {
  std::size_t classIndex = 0;
  std::size_t firstStep = 0;
  std::size_t lastStep = 0;
  float probability = 0;  ///< the highest of its steps
};

/// Characters the recogniser hesitates over: a step whose best class is the blank, but whose best
/// other class reaches `floor` and passes `eligible`, reads as that class. The recogniser gives a
/// character it has no class for (a Traditional form) to the blank this way, with its Simplified
/// form close behind.
struct HesitantCharacters {
  float floor = 2.0f;  ///< above any probability: none is taken
  std::function<bool(std::size_t)> eligible;
};

/// Greedy CTC decoding of `steps` rows of `classes` probabilities each (row-major): the best class
/// of each step, repeats merged, blanks (class 0) dropped. A repeated character needs a blank
/// between its two runs, so a hesitant step next to a step of the same class is left blank.
std::vector<DecodedCharacter> decodeGreedy(std::span<const float> probabilities, std::size_t steps,
                                           std::size_t classes,
                                           const HesitantCharacters& hesitant = {});

}  // namespace pagereader
