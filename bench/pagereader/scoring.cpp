#include "scoring.h"

#include <algorithm>
#include <set>

#include "utf8/utf8.h"

std::u32string comparableText(std::string_view utf8) {
  std::u32string out;
  for (std::size_t position = 0; position < utf8.size();) {
    const auto decoded = ::utf8::decodeAt(utf8, position);
    position += decoded.length;
    char32_t c = decoded.codePoint;
    if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;  // full-width ASCII
    if (c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x3000 || c == 0xA0) continue;
    out.push_back(c);
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
  return score;
}
