#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// One line of text with its box in image pixels (origin upper-left).
struct ScoredLine {
  std::string text;  ///< UTF-8
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
};

/// How one program did on one image.
struct ImageScore {
  std::size_t truthCharacters = 0;
  std::size_t edits = 0;  ///< character edits from the truth to the output
  std::size_t truthLines = 0;
  std::size_t recalledLines = 0;  ///< truth lines that some output line equals
  /// Truth lines read whole inside an output line over them, which may have joined a neighbour
  /// (two table cells, say) to it.
  std::size_t foundLines = 0;
  /// Truth lines at least half covered by one output line's box, whatever it reads.
  std::size_t detectedLines = 0;
  std::size_t truthWords = 0;  ///< words of the English truth lines
  std::size_t wordEdits = 0;   ///< word edits from those to the output read in their place
};

/// The text compared: whitespace dropped (engines disagree on spaces around CJK) and full-width
/// ASCII folded to ASCII.
std::u32string comparableText(std::string_view utf8);

/// `lines` in reading order: rows from top to bottom (lines whose vertical centres fall inside a
/// row's first line join it), each row from left to right.
std::vector<ScoredLine> readingOrder(std::vector<ScoredLine> lines);

/// Levenshtein distance between two texts.
std::size_t editDistance(const std::u32string& from, const std::u32string& to);

/// The words of a line, split on whitespace, full-width ASCII folded.
std::vector<std::u32string> wordsOf(std::string_view utf8);

/// A line of Latin letters and no Chinese character: word error is measured on these.
bool isEnglishLine(std::string_view utf8);

/// Word edits on the English truth lines: each is compared with the closest run of words in
/// the output lines its box overlaps (read in reading order), so a neighbour joined to it costs
/// nothing, while a line whose spaces were dropped costs all of its words and a line not read
/// costs every word.
ImageScore scoreWords(const std::vector<ScoredLine>& truth, const std::vector<ScoredLine>& output);

/// Scores `output` against `truth`: the edits between both in reading order, how many truth
/// lines come out exactly as one output line, how many are found whole inside one, how many lie
/// mostly under one, and the word edits of scoreWords.
ImageScore scoreImage(const std::vector<ScoredLine>& truth, const std::vector<ScoredLine>& output);
