#include "text/screen_text.h"

#include <QRegularExpression>

namespace {

// printf conversions (with positions, flags, widths, lengths), Qt's %1, braces and shell-style
// variables, markup, and escaped entities.
const QRegularExpression& placeholder() {
  static const QRegularExpression pattern(
      R"(%(\d+\$)?[-+ #0'I]*(\d+|\*)?(\.(\d+|\*))?(hh|h|ll|l|L|q|j|z|t|PRI\w+)?[diouxXeEfFgGaAcspnmS%])"
      R"(|%\d|%<|\{[\w.]*\}|\$\{|\$\w|<[A-Za-z/!]|&[#\w]+;)");
  return pattern;
}

bool isLatinLetter(QChar c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters that must not start a line.
bool closes(QChar c) { return QStringLiteral("，。、；：？！）」』》〉】,.;:?!)]}%…").contains(c); }

}  // namespace

bool isChineseCharacter(char32_t c) {
  return (c >= 0x2E80 && c <= 0x2FFF) || (c >= 0x3000 && c <= 0x303F) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) ||
         (c >= 0x20000 && c <= 0x2FFFF);
}

std::optional<QString> screenText(const QString& raw) {
  if (raw.contains('\n') || raw.contains('\t')) return std::nullopt;
  for (QChar c : raw) {
    if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
      return std::nullopt;
  }
  if (raw.contains(placeholder())) return std::nullopt;

  QString text = raw;
  static const QRegularExpression bracketedMnemonic(R"([(（][_&][A-Za-z0-9][)）])");
  text.remove(bracketedMnemonic);
  // Only a word-initial mark: identifiers such as LS_COLORS keep their underscore.
  static const QRegularExpression mnemonic(R"((^|[\s(“"'])_(?=\w))");
  text.replace(mnemonic, R"(\1)");
  text = text.simplified();

  bool hasLetter = false;
  for (QChar c : text) hasLetter = hasLetter || c.isLetter();
  if (!hasLetter) return std::nullopt;
  return text;
}

Writing writingOf(const QString& text) {
  bool chinese = false, latinWord = false, latinLetter = false, other = false;
  int latinRun = 0;
  for (const char32_t c : text.toUcs4()) {
    if (isChineseCharacter(c)) {
      chinese = true;
    } else if (c < 0x80 ? isLatinLetter(QChar(c)) : false) {
      latinLetter = true;
      latinWord = latinWord || ++latinRun >= 2;
      continue;
    } else if (c >= 0x80 && QChar::isLetter(c) && QChar::script(c) != QChar::Script_Latin) {
      other = true;
    }
    latinRun = 0;
  }
  if (other) return Writing::Other;
  if (chinese) return latinWord ? Writing::Mixed : Writing::Chinese;
  return latinLetter ? Writing::Latin : Writing::Other;
}

QStringList wrapText(const QString& text, const std::function<bool(const QString&)>& fits) {
  // Pieces that stay together: a word with its trailing spaces, or one Chinese character.
  QStringList pieces;
  QString piece;
  for (QChar c : text) {
    const bool chinese = isChineseCharacter(c.unicode());
    const bool startsNew =
        !piece.isEmpty() && !closes(c) &&
        (chinese || piece.back() == ' ' || isChineseCharacter(piece.back().unicode()));
    if (startsNew && !(c == ' ' && piece.back() == ' ')) {
      pieces.push_back(piece);
      piece.clear();
    }
    piece += c;
  }
  if (!piece.isEmpty()) pieces.push_back(piece);

  QStringList lines;
  QString line;
  for (const QString& p : pieces) {
    if (!line.isEmpty() && !fits((line + p).trimmed())) {
      lines.push_back(line.trimmed());
      line.clear();
    }
    line += p;
  }
  if (!line.trimmed().isEmpty()) lines.push_back(line.trimmed());
  return lines;
}
