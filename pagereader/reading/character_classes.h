#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pagereader {

/// What each output class of the recogniser stands for: class 0 is the CTC blank, then one class
/// per dictionary line in file order, then a space.
class CharacterClasses {
 public:
  /// The classes of a dictionary file (one character per line, LF or CRLF, a final line break
  /// optional); nothing when it holds no entry, an empty line or bytes that are not UTF-8.
  static std::optional<CharacterClasses> fromDictionary(std::string_view contents);

  static constexpr std::size_t kBlank = 0;
  std::size_t size() const { return entries_.size() + 2; }
  std::size_t space() const { return entries_.size() + 1; }
  /// The text of a class: empty for the blank and for indices beyond the last class.
  std::string_view text(std::size_t classIndex) const;
  /// True when the class writes one CJK ideograph.
  bool isIdeograph(std::size_t classIndex) const;
  /// True when some class writes exactly `character`.
  bool contains(std::string_view character) const;

 private:
  std::vector<std::string> entries_;
  std::vector<std::string> sorted_;
};

}  // namespace pagereader
