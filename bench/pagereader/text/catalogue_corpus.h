#pragma once

#include <QString>

#include "corpus.h"

/// Screen strings of the four scripts, read from the gettext catalogues that Debian packages
/// install (scripts/packages.txt names them): English from the message ids, Simplified from
/// zh_CN, Traditional from zh_TW, mixed from the zh_CN strings that hold Latin words.
class CatalogueCorpora {
 public:
  /// Reads the catalogues under `localeDir` (normally /usr/share/locale).
  explicit CatalogueCorpora(const QString& localeDir);

  /// Empty when every catalogue was read; otherwise what is missing or broken.
  const QString& error() const { return error_; }
  const Corpus& corpusFor(Script script) const;

 private:
  QString error_;
  Corpus english_, simplified_, traditional_, mixed_;
};
