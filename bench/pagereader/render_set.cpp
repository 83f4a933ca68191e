// Renders the benchmark set (screenshot-like images with their known lines) or the small
// fixtures the pagereader tests and demo use.
//
//   pagereader_render_set bench <dir>     images, one .tsv of lines each, and manifest.tsv
//   pagereader_render_set fixtures <dir>  the test fixtures and the demo sample

#include <leptonica/allheaders.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <random>

#include "scan_look.h"
#include "scenes.h"
#include "text/catalogue_corpus.h"
#include "widget_screens.h"

namespace {

bool writeTruth(const QString& path, const std::vector<TruthLine>& lines) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  QTextStream out(&file);
  for (const TruthLine& line : lines) {
    out << line.box.left() << '\t' << line.box.top() << '\t' << line.box.width() << '\t'
        << line.box.height() << '\t' << line.text << '\n';
  }
  return true;
}

enum class Encoding { Png, Jpeg, Rotated };

// What the manifest says of an image, for grouping the results.
struct Labels {
  QString kind, theme, contrast;
  Script script;
  int pixels;
};

// Writes images, their truth and the manifest; remembers the first failure.
class SetWriter {
 public:
  explicit SetWriter(const QDir& dir) : dir_(dir), manifest_(dir.filePath("manifest.tsv")) {
    ok_ = manifest_.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out_.setDevice(&manifest_);
    out_ << "file\tkind\ttheme\tscript\tpixels\tcontrast\tencoding\n";
  }

  void add(const RenderedScene& scene, const QString& stem, const Labels& labels, Encoding encoding,
           int jpegQuality = 0) {
    if (!ok_) return;
    const QString file = stem + (encoding == Encoding::Jpeg ? ".jpg" : ".png");
    const bool saved = encoding == Encoding::Jpeg
                           ? scene.image.save(dir_.filePath(file), "JPG", jpegQuality)
                           : scene.image.save(dir_.filePath(file), "PNG");
    if (!saved || !writeTruth(dir_.filePath(stem + ".tsv"), scene.lines)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(dir_.filePath(file)));
      ok_ = false;
      return;
    }
    const char* encodingName = encoding == Encoding::Png    ? "png"
                               : encoding == Encoding::Jpeg ? "jpeg"
                                                            : "rotated";
    out_ << file << '\t' << labels.kind << '\t' << labels.theme << '\t' << scriptName(labels.script)
         << '\t' << labels.pixels << '\t' << labels.contrast << '\t' << encodingName << '\n';
  }

  bool ok() const { return ok_; }

 private:
  QDir dir_;
  QFile manifest_;
  QTextStream out_;
  bool ok_ = false;
};

QString themeName(Theme theme) { return theme == Theme::Light ? "light" : "dark"; }

Labels labelsOf(const SceneRecipe& recipe) {
  return {kindName(recipe.kind), themeName(recipe.theme),
          recipe.contrast == Contrast::Low ? "low" : "normal", recipe.script, recipe.pixelSize};
}

// The value at `index` of a cycle through `values`.
int cycle(std::initializer_list<int> values, int index) {
  return values.begin()[static_cast<std::size_t>(index) % values.size()];
}

constexpr Theme kThemes[] = {Theme::Light, Theme::Dark};
constexpr Script kScripts[] = {Script::English, Script::Simplified, Script::Traditional,
                               Script::Mixed};

// The first 48 images: three kinds of screen with hand-written strings, kept as they were so
// that results stay comparable over time.
void renderHandwritten(SetWriter& set) {
  const Kind kinds[] = {Kind::Dialog, Kind::Settings, Kind::Document};
  const int smallSizes[] = {10, 12, 14};
  const int largeSizes[] = {16, 20, 24, 28, 32};
  int combination = 0;
  for (Kind kind : kinds) {
    for (Theme theme : kThemes) {
      for (Script script : kScripts) {
        const int sizes[] = {smallSizes[combination % 3], largeSizes[combination % 5]};
        for (int i = 0; i < 2; ++i) {
          const SceneRecipe recipe{kind, theme, script, sizes[i],
                                   static_cast<unsigned>(combination * 2 + i + 1)};
          set.add(renderScene(recipe, corpusFor(script)), sceneName(recipe), labelsOf(recipe),
                  Encoding::Png);
        }
        ++combination;
      }
    }
  }
}

// Screens with strings from the localisation catalogues: dimmed screens, tables, chats, manual
// and web pages, scanned pages and real widgets. Every fourth is stored as JPEG of ordinary
// quality.
void renderFromCatalogues(SetWriter& set, const CatalogueCorpora& catalogues) {
  unsigned seed = 100;
  // A fixed-seed coin picks the JPEG images, so that no kind of screen gets them all.
  std::mt19937 coin(7);
  const auto store = [&](const RenderedScene& scene, const QString& stem, const Labels& labels) {
    const bool jpeg = coin() % 4 == 0;
    const int quality = 75 + 5 * static_cast<int>(coin() % 4);
    set.add(scene, stem, labels, jpeg ? Encoding::Jpeg : Encoding::Png, quality);
  };
  const auto painted = [&](Kind kind, Theme theme, Script script, int pixels,
                           Contrast contrast = Contrast::Normal) {
    const SceneRecipe recipe{kind, theme, script, pixels, ++seed, contrast};
    store(renderScene(recipe, catalogues.corpusFor(script)), sceneName(recipe), labelsOf(recipe));
  };

  int turn = 0;
  for (Kind kind : {Kind::Dialog, Kind::Settings}) {
    for (Theme theme : kThemes) {
      for (Script script : kScripts)
        painted(kind, theme, script, 11 + 2 * (turn++ % 3), Contrast::Low);
    }
  }
  for (Kind kind : {Kind::Dialog, Kind::Settings, Kind::Document}) {
    for (Script script : kScripts) {
      const Theme theme = kThemes[turn % 2];
      painted(kind, theme, script, cycle({11, 13, 16, 20}, turn++));
    }
  }
  for (Theme theme : kThemes) {
    for (Script script : kScripts) painted(Kind::Table, theme, script, 11 + turn++ % 3);
  }
  for (Theme theme : kThemes) {
    for (Script script : kScripts)
      painted(Kind::Chat, theme, script, cycle({12, 14, 15, 17}, turn++));
  }
  for (Theme theme : kThemes) {
    for (Script script : {Script::English, Script::Simplified, Script::Traditional})
      painted(Kind::ManPage, theme, script, cycle({12, 13, 14, 16}, turn++));
  }
  for (Theme theme : kThemes) {
    for (Script script : kScripts)
      painted(Kind::WebPage, theme, script, cycle({12, 14, 16, 18}, turn++));
  }

  // Scanned printouts, turned by 1 to 2 degrees either way.
  const double angles[] = {1.2, -1.6, 2.0, -1.0, 1.5, -2.0};
  for (int i = 0; i < 6; ++i) {
    const Script script = kScripts[i % 4];
    const Kind kind = i < 4 ? Kind::Document : Kind::WebPage;
    const SceneRecipe recipe{kind, Theme::Light, script, 16 + i % 3, ++seed};
    const RenderedScene page = renderScene(recipe, catalogues.corpusFor(script));
    set.add(scanned(page, angles[i], seed), "scan-" + sceneName(recipe), labelsOf(recipe),
            Encoding::Rotated);
  }

  // Qt widgets, light and dark, at 100% and 200%.
  const WidgetScreen screens[] = {WidgetScreen::Dialog, WidgetScreen::Form, WidgetScreen::Table,
                                  WidgetScreen::List};
  // Each script and theme gets all four screens, two at each scale.
  for (std::size_t script = 0; script < 4; ++script) {
    for (std::size_t theme = 0; theme < 2; ++theme) {
      for (int scale : {1, 2}) {
        for (int k = 0; k < 2; ++k) {
          const std::size_t screen = (2 * k + scale + theme + script) % 4;
          const WidgetRecipe recipe{screens[screen], kThemes[theme], kScripts[script],
                                    11 + turn++ % 3, scale,          ++seed};
          store(renderWidgets(recipe, catalogues.corpusFor(recipe.script)), widgetSceneName(recipe),
                {"toolkit", themeName(recipe.theme), "normal", recipe.script,
                 recipe.pixelSize * scale});
        }
      }
    }
  }
}

int renderBench(const QDir& dir) {
  const CatalogueCorpora catalogues("/usr/share/locale");
  if (!catalogues.error().isEmpty()) {
    std::fprintf(stderr, "%s\n", qPrintable(catalogues.error()));
    return 1;
  }
  SetWriter set(dir);
  renderHandwritten(set);
  renderFromCatalogues(set, catalogues);
  return set.ok() ? 0 : 1;
}

// Plain lines, dark on white, as the recognition tests expect them.
QImage plainLines(const QStringList& lines, const QString& family, int pixelSize) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  const QFontMetrics metrics(font);
  int width = 0;
  for (const QString& line : lines) width = std::max(width, metrics.horizontalAdvance(line));
  const int lineHeight = metrics.height() * 2;
  QImage image(width + 2 * pixelSize, lineHeight * static_cast<int>(lines.size()) + pixelSize,
               QImage::Format_Grayscale8);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(QColor("#202020"));
  int y = pixelSize + metrics.ascent();
  for (const QString& line : lines) {
    painter.drawText(pixelSize, y, line);
    y += lineHeight;
  }
  return image;
}

Pix* toPix(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return pixReadMem(reinterpret_cast<const l_uint8*>(png.constData()),
                    static_cast<size_t>(png.size()));
}

bool writeTwoPageTiff(const QString& path, const QImage& first, const QImage& second) {
  const QByteArray file = QFile::encodeName(path);
  Pix* pages[] = {toPix(first), toPix(second)};
  bool ok = pages[0] && pages[1] &&
            pixWriteTiff(file.constData(), pages[0], IFF_TIFF_ZIP, "w") == 0 &&
            pixWriteTiff(file.constData(), pages[1], IFF_TIFF_ZIP, "a") == 0;
  for (Pix*& page : pages) pixDestroy(&page);
  return ok;
}

int renderFixtures(const QDir& dir) {
  const QString sans = "Noto Sans CJK SC";
  struct Fixture {
    QString name;
    QStringList lines;
    QString family;
  };
  const Fixture fixtures[] = {
      {"english",
       {"Software Update", "Restart the application to finish the update."},
       "DejaVu Sans"},
      {"simplified", {"软件更新", "请重新启动应用程序以完成更新。"}, sans},
      {"traditional", {"軟體更新", "請重新啟動應用程式以完成更新。"}, "Noto Sans CJK TC"},
      {"mixed", {"Wi-Fi 设置", "文件 report.pdf 已保存到桌面。"}, sans},
  };
  for (const Fixture& f : fixtures) {
    if (!plainLines(f.lines, f.family, 20).save(dir.filePath(f.name + ".png"))) return 1;
  }

  QImage blank(320, 120, QImage::Format_Grayscale8);
  blank.fill(QColor("#ECECEC"));
  {
    QPainter painter(&blank);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRect(40, 30, 240, 60), 8, 8);
  }
  if (!blank.save(dir.filePath("no_text.png"))) return 1;

  if (!writeTwoPageTiff(dir.filePath("two_pages.tif"),
                        plainLines({"First page"}, "DejaVu Sans", 24),
                        plainLines({"Second page"}, "DejaVu Sans", 24))) {
    return 1;
  }

  const RenderedScene sample =
      renderScene({Kind::Dialog, Theme::Light, Script::Mixed, 16, 7}, corpusFor(Script::Mixed));
  if (!sample.image.convertToFormat(QImage::Format_Grayscale8)
           .save(dir.filePath("sample_dialog.png")))
    return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt wants a private runtime folder even offscreen; a build or CI may have none.
  QTemporaryDir runtime;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  QApplication app(argc, argv);
  QApplication::setStyle("Fusion");
  setMsgSeverity(L_SEVERITY_NONE);
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s bench|fixtures <dir>\n", argv[0]);
    return 2;
  }
  const QString mode = QString::fromLocal8Bit(argv[1]);
  QDir dir(QString::fromLocal8Bit(argv[2]));
  if (!dir.mkpath(".")) return 1;
  if (mode == "bench") return renderBench(dir);
  if (mode == "fixtures") return renderFixtures(dir);
  std::fprintf(stderr, "unknown mode %s\n", argv[1]);
  return 2;
}
