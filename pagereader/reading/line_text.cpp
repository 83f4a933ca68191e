#include "reading/line_text.h"

#include <algorithm>
#include <cmath>

namespace pagereader {
namespace {

bool isLatinOrDigit(std::string_view character) {
  return character.size() == 1 && std::isalnum(static_cast<unsigned char>(character[0])) != 0;
}

// Whether the widest blank run of columns between the two characters' centres is a word gap.
bool wordGapBetween(const DecodedCharacter& left, const DecodedCharacter& right,
                    const InkGaps& gaps) {
  const auto centre = [&](const DecodedCharacter& c) {
    return (static_cast<double>(c.firstStep + c.lastStep) / 2 + 0.5) * gaps.columnsPerStep;
  };
  const auto last = static_cast<double>(gaps.inkColumns.size());
  const auto from = static_cast<std::size_t>(std::clamp(centre(left), 0.0, last));
  const auto to = static_cast<std::size_t>(std::clamp(centre(right), 0.0, last));
  std::size_t run = 0, widest = 0;
  for (std::size_t column = from; column < to; ++column) {
    run = gaps.inkColumns[column] ? 0 : run + 1;
    widest = std::max(widest, run);
  }
  return static_cast<double>(widest) >= gaps.wordGap;
}

}  // namespace

HesitantCharacters hesitantIdeographsAndSpaces(const CharacterClasses& classes, float floor) {
  return {floor, [&classes](std::size_t index) {
            return classes.isIdeograph(index) || index == classes.space();
          }};
}

LineReading lineText(const std::vector<DecodedCharacter>& characters,
                     const CharacterClasses& classes, const InkGaps* gaps) {
  LineReading reading;
  double sum = 0;
  std::size_t counted = 0;
  const DecodedCharacter* previous = nullptr;
  for (const DecodedCharacter& character : characters) {
    const bool space = character.classIndex == classes.space();
    if (space && (reading.text.empty() || reading.text.back() == ' ')) continue;
    if (!space && previous != nullptr && gaps != nullptr && reading.text.back() != ' ') {
      const std::string_view before = classes.text(previous->classIndex);
      const std::string_view now = classes.text(character.classIndex);
      const bool boundary = (classes.isIdeograph(previous->classIndex) && isLatinOrDigit(now)) ||
                            (isLatinOrDigit(before) && classes.isIdeograph(character.classIndex));
      if (boundary && wordGapBetween(*previous, character, *gaps)) reading.text += ' ';
    }
    reading.text += classes.text(character.classIndex);
    if (space) continue;
    previous = &character;
    sum += character.probability;
    ++counted;
  }
  if (counted > 0) reading.confidence = static_cast<float>(sum / static_cast<double>(counted));
  return reading;
}

}  // namespace pagereader
