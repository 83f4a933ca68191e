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

/// The text of a decoded line: its characters in order, runs of spaces as one.
LineReading lineText(const std::vector<DecodedCharacter>& characters,
                     const CharacterClasses& classes);

}  // namespace pagereader
