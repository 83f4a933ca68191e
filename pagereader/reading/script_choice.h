#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reading/character_classes.h"

namespace pagereader {

/// Conversion between the two Chinese scripts.
class ChineseScripts {
 public:
  virtual ~ChineseScripts() = default;
  virtual std::string toSimplified(std::string_view text) = 0;
  virtual std::string toTraditional(std::string_view text) = 0;
};

/// One Chinese script per page. The recogniser knows mostly Simplified characters, so on a
/// Traditional screen it writes Simplified forms where it has no Traditional one. When the page's
/// recognised text is mostly Traditional, its lines are written in Traditional, except a line
/// that shows it is deliberately Simplified (a language picker's "简体中文"): no Traditional
/// character in it, and at least two Simplified ones whose Traditional forms the recogniser
/// could have written had the screen shown them. A mostly Simplified page is left as it was read.
std::vector<std::string> oneScriptPerPage(std::vector<std::string> lines, ChineseScripts& scripts,
                                          const CharacterClasses& known);

}  // namespace pagereader
