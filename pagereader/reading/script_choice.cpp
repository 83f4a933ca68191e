#include "reading/script_choice.h"

#include "utf8/utf8.h"

namespace pagereader {
namespace {

// What a line's characters say about its script.
struct ScriptEvidence {
  std::size_t traditional = 0;  ///< characters only Traditional text uses
  std::size_t simplified = 0;   ///< Simplified forms written although the Traditional was known
};

ScriptEvidence evidence(std::string_view line, ChineseScripts& scripts,
                        const CharacterClasses& known) {
  ScriptEvidence found;
  for (std::size_t position = 0; position < line.size();) {
    const utf8::Decoded decoded = utf8::decodeAt(line, position);
    const std::string_view character = line.substr(position, decoded.length);
    position += decoded.length;
    if (!decoded.valid || decoded.codePoint < 0x2E80) continue;
    if (scripts.toSimplified(character) != character) {
      ++found.traditional;
      continue;
    }
    const std::string traditional = scripts.toTraditional(character);
    if (traditional != character && known.contains(traditional)) ++found.simplified;
  }
  return found;
}

}  // namespace

std::vector<std::string> oneScriptPerPage(std::vector<std::string> lines, ChineseScripts& scripts,
                                          const CharacterClasses& known) {
  std::vector<ScriptEvidence> perLine;
  ScriptEvidence page;
  for (const std::string& line : lines) {
    perLine.push_back(evidence(line, scripts, known));
    page.traditional += perLine.back().traditional;
    page.simplified += perLine.back().simplified;
  }
  if (page.traditional <= page.simplified) return lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // One Simplified form is as likely a slip of the recogniser, which prefers them.
    const bool deliberatelySimplified = perLine[i].traditional == 0 && perLine[i].simplified >= 2;
    if (!deliberatelySimplified) lines[i] = scripts.toTraditional(lines[i]);
  }
  return lines;
}

}  // namespace pagereader
