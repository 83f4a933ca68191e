#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

/// What a screen shows of a catalogue string: mnemonic marks dropped ("_Open" reads "Open",
/// "打开(_O)" reads "打开"), runs of spaces made one. Nothing for strings no screen shows as they
/// are: format placeholders, markup, several lines, control characters, no letter at all.
std::optional<QString> screenText(const QString& raw);

/// How a string is written, as the benchmark groups lines.
enum class Writing {
  Latin,    ///< Latin letters and no Chinese
  Chinese,  ///< Chinese, at most a stray Latin letter
  Mixed,    ///< Chinese with a Latin word of two letters or more
  Other,    ///< no Latin letter and no Chinese character, or another script
};
Writing writingOf(const QString& text);

/// True for Han ideographs and the CJK punctuation and full-width forms.
bool isChineseCharacter(char32_t c);

/// Breaks `text` into lines that `fits` accepts, between words and between Chinese characters,
/// never before closing punctuation. A word that fits nowhere gets a line of its own.
QStringList wrapText(const QString& text, const std::function<bool(const QString&)>& fits);
