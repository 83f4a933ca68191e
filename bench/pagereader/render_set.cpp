// Renders the benchmark set (screenshot-like images with their known lines) or the small
// fixtures the pagereader tests and demo use.
//
//   pagereader_render_set bench <dir>     images, one .tsv of lines each, and manifest.tsv
//   pagereader_render_set fixtures <dir>  the test fixtures and the demo sample

#include <leptonica/allheaders.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>
#include <cstdio>

#include "scenes.h"

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

QString kindName(Kind kind) {
  return kind == Kind::Dialog ? "dialog" : kind == Kind::Settings ? "settings" : "document";
}

int renderBench(const QDir& dir) {
  const Kind kinds[] = {Kind::Dialog, Kind::Settings, Kind::Document};
  const Theme themes[] = {Theme::Light, Theme::Dark};
  const Script scripts[] = {Script::English, Script::Simplified, Script::Traditional,
                            Script::Mixed};
  const int smallSizes[] = {10, 12, 14};
  const int largeSizes[] = {16, 20, 24, 28, 32};

  QFile manifest(dir.filePath("manifest.tsv"));
  if (!manifest.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
  QTextStream out(&manifest);
  out << "name\tkind\ttheme\tscript\tpixels\n";
  int combination = 0;
  for (Kind kind : kinds) {
    for (Theme theme : themes) {
      for (Script script : scripts) {
        const int sizes[] = {smallSizes[combination % 3], largeSizes[combination % 5]};
        for (int i = 0; i < 2; ++i) {
          const SceneRecipe recipe{kind, theme, script, sizes[i],
                                   static_cast<unsigned>(combination * 2 + i + 1)};
          const RenderedScene scene = renderScene(recipe);
          const QString name = sceneName(recipe);
          if (!scene.image.save(dir.filePath(name + ".png"))) return 1;
          if (!writeTruth(dir.filePath(name + ".tsv"), scene.lines)) return 1;
          out << name << '\t' << kindName(kind) << '\t'
              << (theme == Theme::Light ? "light" : "dark") << '\t' << scriptName(script) << '\t'
              << recipe.pixelSize << '\n';
        }
        ++combination;
      }
    }
  }
  return 0;
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

  const RenderedScene sample = renderScene({Kind::Dialog, Theme::Light, Script::Mixed, 16, 7});
  if (!sample.image.convertToFormat(QImage::Format_Grayscale8)
           .save(dir.filePath("sample_dialog.png")))
    return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
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
