#include "reading/character_classes.h"

#include <algorithm>

#include "utf8/utf8.h"

namespace pagereader {

std::optional<CharacterClasses> CharacterClasses::fromDictionary(std::string_view contents) {
  if (!utf8::isValid(contents)) return std::nullopt;
  if (contents.ends_with('\n')) contents.remove_suffix(1);
  CharacterClasses classes;
  while (!contents.empty()) {
    const std::size_t end = std::min(contents.find('\n'), contents.size());
    std::string_view entry = contents.substr(0, end);
    if (entry.ends_with('\r')) entry.remove_suffix(1);
    if (entry.empty()) return std::nullopt;
    classes.entries_.emplace_back(entry);
    contents.remove_prefix(std::min(end + 1, contents.size()));
  }
  if (classes.entries_.empty()) return std::nullopt;
  classes.sorted_ = classes.entries_;
  classes.sorted_.push_back(" ");
  std::sort(classes.sorted_.begin(), classes.sorted_.end());
  return classes;
}

std::string_view CharacterClasses::text(std::size_t classIndex) const {
  if (classIndex == kBlank || classIndex > entries_.size() + 1) return {};
  if (classIndex == space()) return " ";
  return entries_[classIndex - 1];
}

bool CharacterClasses::isIdeograph(std::size_t classIndex) const {
  const std::string_view character = text(classIndex);
  if (character.empty()) return false;
  const utf8::Decoded decoded = utf8::decodeAt(character, 0);
  const char32_t c = decoded.codePoint;
  return decoded.valid && decoded.length == character.size() &&
         ((c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
          (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3134F));
}

bool CharacterClasses::contains(std::string_view character) const {
  return std::binary_search(sorted_.begin(), sorted_.end(), character);
}

}  // namespace pagereader
