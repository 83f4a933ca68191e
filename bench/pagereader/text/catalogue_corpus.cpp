#include "text/catalogue_corpus.h"

#include <QFile>
#include <QHash>

#include "text/mo_catalogue.h"
#include "text/screen_text.h"

namespace {

// The catalogues read, and the Debian package that installs each.
struct Domain {
  const char* name;
  const char* package;
};
constexpr Domain kToolkit{"gtk30", "libgtk-3-common"};
constexpr Domain kLibrary{"glib20", "libglib2.0-data"};
constexpr Domain kDesktopSettings{"gsettings-desktop-schemas", "gsettings-desktop-schemas"};
constexpr Domain kFileTypes{"shared-mime-info", "shared-mime-info"};
constexpr Domain kLanguages{"iso_639-2", "iso-codes"};
constexpr Domain kCountries{"iso_3166-1", "iso-codes"};
constexpr Domain kCommands{"coreutils", "coreutils"};

// One message in the three forms a scene may show.
struct Forms {
  QString english, simplified, traditional;
};

int latinWords(const QString& text) {
  return static_cast<int>(text.split(' ', Qt::SkipEmptyParts).size());
}

// Characters a reader sees: Chinese characters count one each, Latin words one each.
int units(const QString& text) {
  int count = 0;
  bool inWord = false;
  for (const char32_t c : text.toUcs4()) {
    if (isChineseCharacter(c)) {
      ++count;
      inWord = false;
    } else if (c == ' ') {
      inWord = false;
    } else if (!inWord) {
      ++count;
      inWord = true;
    }
  }
  return count;
}

enum class Length { Label, Sentence, Long, Other };

Length lengthOf(const QString& text) {
  if (writingOf(text) == Writing::Latin) {
    const int words = latinWords(text);
    if (words <= 3 && text.size() <= 24) return Length::Label;
    if (words >= 4 && words <= 10 && text.size() <= 64) return Length::Sentence;
    return words > 10 ? Length::Long : Length::Other;
  }
  const int count = units(text);
  if (count <= 6) return Length::Label;
  if (count >= 7 && count <= 22) return Length::Sentence;
  return count > 22 ? Length::Long : Length::Other;
}

// Reads one catalogue of one language into id -> translation.
bool readCatalogue(const QString& localeDir, const char* language, const Domain& domain,
                   std::vector<CatalogueMessage>& messages, QString& error) {
  const QString path = QString("%1/%2/LC_MESSAGES/%3.mo").arg(localeDir, language, domain.name);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    error = QString("cannot read %1 (Debian package %2)").arg(path, domain.package);
    return false;
  }
  const QByteArray bytes = file.readAll();
  auto parsed = parseMoCatalogue(std::string_view(bytes.constData(), bytes.size()));
  if (!parsed) {
    error = QString("%1 is not a message catalogue").arg(path);
    return false;
  }
  messages = std::move(*parsed);
  return true;
}

// The messages of `domain` with both translations, in the order of the zh_CN catalogue. A
// translation that is missing, or the same as the id, is left empty.
bool readForms(const QString& localeDir, const Domain& domain, std::vector<Forms>& forms,
               QString& error) {
  std::vector<CatalogueMessage> simplified, traditional;
  if (!readCatalogue(localeDir, "zh_CN", domain, simplified, error) ||
      !readCatalogue(localeDir, "zh_TW", domain, traditional, error))
    return false;
  QHash<QString, QString> traditionalById;
  for (const CatalogueMessage& m : traditional) {
    traditionalById.insert(QString::fromStdString(m.context + '\x04' + m.id),
                           QString::fromStdString(m.translation));
  }
  for (const CatalogueMessage& m : simplified) {
    Forms f;
    f.english = QString::fromStdString(m.id);
    f.simplified = QString::fromStdString(m.translation);
    f.traditional = traditionalById.value(QString::fromStdString(m.context + '\x04' + m.id));
    if (f.simplified == f.english) f.simplified.clear();
    if (f.traditional == f.english) f.traditional.clear();
    forms.push_back(f);
  }
  return true;
}

// Where a string of one role goes in each corpus: English and the Chinese scripts take what
// they are written in, the mixed corpus takes zh_CN strings with Latin words.
class Pools {
 public:
  Corpus english, simplified, traditional, mixed;

  void add(QStringList Corpus::*role, const Forms& forms, Length wanted) {
    addTo(english.*role, forms.english, wanted, Writing::Latin);
    addTo(simplified.*role, forms.simplified, wanted, Writing::Chinese);
    addTo(traditional.*role, forms.traditional, wanted, Writing::Chinese);
    addTo(mixed.*role, forms.simplified, wanted, Writing::Mixed);
  }

 private:
  static void addTo(QStringList& pool, const QString& raw, Length wanted, Writing writing) {
    const auto text = screenText(raw);
    if (text && writingOf(*text) == writing && lengthOf(*text) == wanted) pool.push_back(*text);
  }
};

// Help texts: blocks of option lines, each kept with its spacing.
std::vector<QStringList> helpBlocks(const std::vector<Forms>& forms, QString Forms::*script) {
  std::vector<QStringList> blocks;
  for (const Forms& f : forms) {
    const QString& text = f.*script;
    if (!text.startsWith("  -") || text.count('\n') < 4) continue;
    QStringList block;
    for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
      // Checked as a screen string, drawn with its own spacing.
      if (screenText(line)) block.push_back(line);
    }
    if (block.size() >= 4) blocks.push_back(block);
  }
  return blocks;
}

}  // namespace

CatalogueCorpora::CatalogueCorpora(const QString& localeDir) {
  std::vector<Forms> toolkit, library, settings, fileTypes, languages, countries, commands;
  const std::pair<const Domain*, std::vector<Forms>*> wanted[] = {
      {&kToolkit, &toolkit},     {&kLibrary, &library},     {&kDesktopSettings, &settings},
      {&kFileTypes, &fileTypes}, {&kLanguages, &languages}, {&kCountries, &countries},
      {&kCommands, &commands}};
  for (const auto& [domain, forms] : wanted) {
    if (!readForms(localeDir, *domain, *forms, error_)) return;
  }

  Pools pools;
  for (const Forms& f : toolkit) {
    pools.add(&Corpus::buttons, f, Length::Label);
    pools.add(&Corpus::messages, f, Length::Sentence);
  }
  for (const Forms& f : library) pools.add(&Corpus::messages, f, Length::Sentence);
  for (const Forms& f : commands) pools.add(&Corpus::messages, f, Length::Sentence);
  for (const Forms& f : settings) {
    const bool summary = !f.english.endsWith('.');
    pools.add(summary ? &Corpus::settings : &Corpus::prose, f, Length::Sentence);
    if (summary) pools.add(&Corpus::settings, f, Length::Label);
    pools.add(&Corpus::paragraphs, f, Length::Long);
  }
  for (const Forms& f : fileTypes) {
    pools.add(&Corpus::cells, f, Length::Label);
    pools.add(&Corpus::cells, f, Length::Sentence);
  }
  for (const Forms& f : languages) pools.add(&Corpus::values, f, Length::Label);
  for (const Forms& f : countries) pools.add(&Corpus::values, f, Length::Label);

  english_ = pools.english;
  simplified_ = pools.simplified;
  traditional_ = pools.traditional;
  mixed_ = pools.mixed;
  english_.manBlocks = helpBlocks(commands, &Forms::english);
  simplified_.manBlocks = helpBlocks(commands, &Forms::simplified);
  traditional_.manBlocks = helpBlocks(commands, &Forms::traditional);
  mixed_.manBlocks = simplified_.manBlocks;

  // A mixed screen is Chinese with Latin words in some strings: where the catalogues hold too
  // few mixed strings of a role, Simplified ones fill it up.
  for (QStringList Corpus::*role :
       {&Corpus::buttons, &Corpus::messages, &Corpus::settings, &Corpus::prose, &Corpus::paragraphs,
        &Corpus::cells, &Corpus::values}) {
    if ((mixed_.*role).size() < 40) mixed_.*role += simplified_.*role;
  }
  for (Corpus* c : {&english_, &simplified_, &traditional_, &mixed_}) {
    for (QStringList Corpus::*role :
         {&Corpus::buttons, &Corpus::messages, &Corpus::settings, &Corpus::prose,
          &Corpus::paragraphs, &Corpus::cells, &Corpus::values}) {
      (c->*role).removeDuplicates();
    }
    c->titles = c->settings;
    c->sidebar = c->buttons;
    // Scenes pick up to 14 distinct strings of a role; other catalogue versions must still
    // give that many.
    for (QStringList Corpus::*role :
         {&Corpus::buttons, &Corpus::messages, &Corpus::settings, &Corpus::prose,
          &Corpus::paragraphs, &Corpus::cells, &Corpus::values}) {
      if ((c->*role).size() < 14 && error_.isEmpty())
        error_ =
            QString("the catalogues give too few strings of one kind (%1)").arg((c->*role).size());
    }
    if (c->manBlocks.size() < 2 && error_.isEmpty())
      error_ = "the coreutils catalogues give too few help texts";
  }
  const Corpus& handwrittenEnglish = ::corpusFor(Script::English);
  english_.sansFamily = handwrittenEnglish.sansFamily;
  english_.serifFamily = handwrittenEnglish.serifFamily;
  english_.monoFamily = "DejaVu Sans Mono";
  for (auto [corpus, script] : {std::pair{&simplified_, Script::Simplified},
                                {&traditional_, Script::Traditional},
                                {&mixed_, Script::Mixed}}) {
    corpus->sansFamily = ::corpusFor(script).sansFamily;
    corpus->serifFamily = ::corpusFor(script).serifFamily;
    corpus->monoFamily =
        script == Script::Traditional ? "Noto Sans Mono CJK TC" : "Noto Sans Mono CJK SC";
  }
}

const Corpus& CatalogueCorpora::corpusFor(Script script) const {
  switch (script) {
    case Script::English:
      return english_;
    case Script::Simplified:
      return simplified_;
    case Script::Traditional:
      return traditional_;
    case Script::Mixed:
      return mixed_;
  }
  return english_;
}
