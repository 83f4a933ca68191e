#include "reading/line_text.h"

namespace pagereader {

LineReading lineText(const std::vector<DecodedCharacter>& characters,
                     const CharacterClasses& classes) {
  LineReading reading;
  double sum = 0;
  std::size_t counted = 0;
  for (const DecodedCharacter& character : characters) {
    const bool space = character.classIndex == classes.space();
    if (space && (reading.text.empty() || reading.text.back() == ' ')) continue;
    reading.text += classes.text(character.classIndex);
    if (space) continue;
    sum += character.probability;
    ++counted;
  }
  if (counted > 0) reading.confidence = static_cast<float>(sum / static_cast<double>(counted));
  return reading;
}

}  // namespace pagereader
