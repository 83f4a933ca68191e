#pragma once

#include <QString>
#include <QStringList>
#include <vector>

/// The writing of one scene: its strings and the fonts a screen would show them in.
enum class Script { English, Simplified, Traditional, Mixed };

/// Strings of one script, by the place they take in a screenshot.
struct Corpus {
  QStringList titles;                  ///< window and page titles
  QStringList messages;                ///< dialog sentences, one line each
  QStringList buttons;                 ///< short button labels
  QStringList sidebar;                 ///< navigation items
  QStringList settings;                ///< setting names
  QStringList values;                  ///< setting values shown beside the names
  QStringList prose;                   ///< document lines
  QStringList paragraphs;              ///< longer texts, wrapped to the page
  QStringList cells;                   ///< short entries of tables and lists
  std::vector<QStringList> manBlocks;  ///< help texts of commands, line by line
  QString sansFamily;
  QString serifFamily;
  QString monoFamily;
};

/// The strings and fonts of `script`.
const Corpus& corpusFor(Script script);

/// A short name for `script`, as used in file names and tables.
QString scriptName(Script script);
