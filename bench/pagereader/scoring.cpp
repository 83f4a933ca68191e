#include "scoring.h"

#include <algorithm>
#include <set>

#include "utf8/utf8.h"

namespace {

template <typename Sequence>
std::size_t levenshtein(const Sequence& from, const Sequence& to) {
  std::vector<std::size_t> previous(to.size() + 1), current(to.size() + 1);
  for (std::size_t j = 0; j <= to.size(); ++j) previous[j] = j;
  for (std::size_t i = 1; i <= from.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= to.size(); ++j) {
      const std::size_t substitution = previous[j - 1] + (from[i - 1] == to[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
    }
    std::swap(previous, current);
  }
  return previous[to.size()];
}

// Edits from `wanted` to the closest run of consecutive words of `text`: what else a line holds
// (a neighbour that a reader joined to it) costs nothing.
std::size_t bestWindowDistance(const std::vector<std::u32string>& wanted,
                               const std::vector<std::u32string>& text) {
  std::vector<std::size_t> previous(text.size() + 1, 0), current(text.size() + 1);
  for (std::size_t i = 1; i <= wanted.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= text.size(); ++j) {
      const std::size_t substitution = previous[j - 1] + (wanted[i - 1] == text[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
    }
    std::swap(previous, current);
  }
  return *std::min_element(previous.begin(), previous.end());
}

char32_t folded(char32_t c) { return c >= 0xFF01 && c <= 0xFF5E ? c - 0xFEE0 : c; }

bool isSpace(char32_t c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x3000 || c == 0xA0;
}

bool isChinese(char32_t c) {
  return (c >= 0x2E80 && c <= 0x303F) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0x20000 && c <= 0x2FFFF);
}

double overlap(const ScoredLine& a, const ScoredLine& b) {
  const double w = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
  const double h = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

std::u32string decoded(std::string_view utf8) {
  std::u32string out;
  for (std::size_t position = 0; position < utf8.size();) {
    const auto d = ::utf8::decodeAt(utf8, position);
    position += d.length;
    out.push_back(folded(d.codePoint));
  }
  return out;
}

}  // namespace

std::u32string comparableText(std::string_view utf8) {
  std::u32string out;
  for (char32_t c : decoded(utf8)) {
    if (!isSpace(c)) out.push_back(c);
  }
  return out;
}

std::vector<ScoredLine> readingOrder(std::vector<ScoredLine> lines) {
  std::stable_sort(lines.begin(), lines.end(),
                   [](const ScoredLine& a, const ScoredLine& b) { return a.top < b.top; });
  std::vector<ScoredLine> ordered;
  std::size_t rowStart = 0;
  while (rowStart < lines.size()) {
    const ScoredLine& first = lines[rowStart];
    std::size_t rowEnd = rowStart + 1;
    while (rowEnd < lines.size()) {
      const double centre = lines[rowEnd].top + lines[rowEnd].height / 2;
      if (centre > first.top + first.height) break;
      ++rowEnd;
    }
    std::vector<ScoredLine> row(lines.begin() + static_cast<std::ptrdiff_t>(rowStart),
                                lines.begin() + static_cast<std::ptrdiff_t>(rowEnd));
    std::stable_sort(row.begin(), row.end(),
                     [](const ScoredLine& a, const ScoredLine& b) { return a.left < b.left; });
    ordered.insert(ordered.end(), row.begin(), row.end());
    rowStart = rowEnd;
  }
  return ordered;
}

std::size_t editDistance(const std::u32string& from, const std::u32string& to) {
  return levenshtein(from, to);
}

std::vector<std::u32string> wordsOf(std::string_view utf8) {
  std::vector<std::u32string> words(1);
  for (char32_t c : decoded(utf8)) {
    if (!isSpace(c)) {
      words.back().push_back(c);
    } else if (!words.back().empty()) {
      words.emplace_back();
    }
  }
  if (words.back().empty()) words.pop_back();
  return words;
}

bool isEnglishLine(std::string_view utf8) {
  bool letter = false;
  for (char32_t c : decoded(utf8)) {
    if (isChinese(c)) return false;
    letter = letter || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  }
  return letter;
}

ImageScore scoreWords(const std::vector<ScoredLine>& truth, const std::vector<ScoredLine>& output) {
  ImageScore score;
  for (const ScoredLine& line : truth) {
    if (!isEnglishLine(line.text)) continue;
    std::vector<ScoredLine> overlapping;
    for (const ScoredLine& o : output) {
      if (overlap(line, o) > 0) overlapping.push_back(o);
    }
    std::vector<std::u32string> read;
    for (const ScoredLine& o : readingOrder(overlapping)) {
      for (auto& word : wordsOf(o.text)) read.push_back(std::move(word));
    }
    const std::vector<std::u32string> expected = wordsOf(line.text);
    score.truthWords += expected.size();
    score.wordEdits += bestWindowDistance(expected, read);
  }
  return score;
}

ImageScore scoreImage(const std::vector<ScoredLine>& truth, const std::vector<ScoredLine>& output) {
  std::u32string truthText, outputText;
  for (const ScoredLine& line : readingOrder(truth)) truthText += comparableText(line.text);
  for (const ScoredLine& line : readingOrder(output)) outputText += comparableText(line.text);

  std::multiset<std::u32string> outputLines;
  for (const ScoredLine& line : output) outputLines.insert(comparableText(line.text));
  ImageScore score;
  score.truthCharacters = truthText.size();
  score.edits = editDistance(truthText, outputText);
  score.truthLines = truth.size();
  for (const ScoredLine& line : truth) {
    const auto found = outputLines.find(comparableText(line.text));
    if (found == outputLines.end()) continue;
    ++score.recalledLines;
    outputLines.erase(found);
  }
  for (const ScoredLine& line : truth) {
    const std::u32string text = comparableText(line.text);
    const bool found = std::any_of(output.begin(), output.end(), [&](const ScoredLine& o) {
      return overlap(line, o) > 0 && comparableText(o.text).find(text) != std::u32string::npos;
    });
    if (found) ++score.foundLines;
    const bool detected = std::any_of(output.begin(), output.end(), [&](const ScoredLine& o) {
      return overlap(line, o) >= 0.5 * line.width * line.height;
    });
    if (detected) ++score.detectedLines;
  }
  const ImageScore words = scoreWords(truth, output);
  score.truthWords = words.truthWords;
  score.wordEdits = words.wordEdits;
  return score;
}
