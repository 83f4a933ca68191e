#pragma once

#include <string>
#include <vector>

#include "reading/character_classes.h"
#include "reading/ctc_decoding.h"

namespace pagereader {

/// A recognised line's text and confidence.
struct LineReading {
  std::string text;
  float confidence = 0;  ///< mean probability of its characters, 0 to 1
};

/// Where the line's crop holds ink, column by column, and how its steps map onto the columns.
struct InkGaps {
  std::vector<bool> inkColumns;
  double columnsPerStep = 0;
  double wordGap = 0;  ///< the narrowest blank run, in columns, that separates two words
};

/// The characters worth reading where the recogniser leaves them a close second to the blank:
/// ideographs (it has no class for many Traditional forms and gives them to the blank, with the
/// Simplified form close behind) and the space between two words, which it often gives to the
/// blank too. A Latin letter is not: a second letter there would mostly be a doubled stroke.
HesitantCharacters hesitantIdeographsAndSpaces(const CharacterClasses& classes, float floor);

/// The text of a decoded line: its characters in order, runs of spaces as one. The recogniser
/// writes the spaces between Latin words, but rarely the one between a Chinese and a Latin word;
/// with `gaps`, such a pair gets a space when the crop has a word-wide blank between them.
LineReading lineText(const std::vector<DecodedCharacter>& characters,
                     const CharacterClasses& classes, const InkGaps* gaps = nullptr);

}  // namespace pagereader
