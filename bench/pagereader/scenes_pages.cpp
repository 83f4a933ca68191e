// Pages of text: a manual page in a terminal, and a web page with a menu bar, a heading,
// wrapped paragraphs and links.

#include <QFontMetrics>
#include <QRegularExpression>
#include <algorithm>

#include "scenes.h"
#include "text/screen_text.h"

namespace {

// Section names of a manual page; the catalogues read carry no such words.
struct ManualWords {
  QString header, name, description, options;
};

ManualWords manualWords(Script script) {
  switch (script) {
    case Script::English:
      return {"User Commands", "NAME", "DESCRIPTION", "OPTIONS"};
    case Script::Traditional:
      return {"使用者命令", "名稱", "描述", "選項"};
    case Script::Simplified:
    case Script::Mixed:
      break;
  }
  return {"用户命令", "名称", "描述", "选项"};
}

}  // namespace

// A manual page in a terminal: header, section names in bold, option lines whose columns are
// separate lines to a reader, as on screen.
RenderedScene manPage(const SceneRecipe& recipe, const Corpus& corpus, const Palette&) {
  Picker picker(recipe.seed);
  const int em = recipe.pixelSize;
  const QFont mono = fontOf(corpus.monoFamily, em);
  const QFont bold = fontOf(corpus.monoFamily, em, true);
  const bool light = recipe.theme == Theme::Light;
  const QColor ink = light ? QColor("#1E1E1E") : QColor("#D3D7CF");
  const QColor background = light ? QColor("#FFFFFF") : QColor("#1E1E1E");
  const ManualWords words = manualWords(recipe.script);
  const int lineHeight = QFontMetrics(mono).height();
  const int indent = QFontMetrics(mono).horizontalAdvance(QString(7, ' '));
  const int left = em;

  std::vector<QStringList> blocks;
  for (std::size_t i = 0; i < 2 && !corpus.manBlocks.empty(); ++i) {
    blocks.push_back(corpus.manBlocks[static_cast<std::size_t>(
        picker.number(0, static_cast<int>(corpus.manBlocks.size()) - 1))]);
  }

  Canvas canvas;
  int y = em;
  int right = 0;
  const auto put = [&](const QString& text, const QFont& font, int x) {
    right = std::max(right, canvas.text(text, font, ink, {x, y}).right());
  };
  const QString command =
      picker.pick({"LS", "CP", "DF", "SORT", "DATE", "STTY", "DU", "TR"}, 1).front() + "(1)";
  put(command, mono, left);
  put(words.header, mono, left + 30 * QFontMetrics(mono).horizontalAdvance(' '));
  y += 2 * lineHeight;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    put(b == 0 ? words.description : words.options, bold, left);
    y += lineHeight;
    for (const QString& line : blocks[b].mid(0, 9)) {
      // Columns set apart by two spaces or more read as separate lines.
      static const QRegularExpression gap("\\S+(?: \\S+)*");
      for (auto match = gap.globalMatch(line); match.hasNext();) {
        const auto part = match.next();
        const int x =
            left + indent + QFontMetrics(mono).horizontalAdvance(line.left(part.capturedStart()));
        put(part.captured(), mono, x);
      }
      y += lineHeight;
    }
    y += lineHeight;
  }
  return canvas.paint(QSize(right + 2 * em, y + em), background);
}

// A web page: a menu bar of links, a heading and a date, two wrapped paragraphs, a list of
// links and a footer.
RenderedScene webPage(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors) {
  Picker picker(recipe.seed);
  const int em = recipe.pixelSize;
  const bool english = recipe.script == Script::English;
  const QString sans = english ? "Liberation Sans" : corpus.sansFamily;
  const QString serif = english ? "Liberation Serif" : corpus.sansFamily;
  const QFont menu = fontOf(sans, em);
  const QFont heading = fontOf(sans, em * 2, true);
  const QFont body = fontOf(serif, em * 9 / 8);
  const QFont small = fontOf(sans, std::max(10, em * 5 / 6));
  const bool light = recipe.theme == Theme::Light;
  const QColor link = light ? QColor("#1A0DAB") : QColor("#8AB4F8");
  const QColor bar = light ? QColor("#24292F") : QColor("#161B22");
  const QColor background = light ? QColor("#FFFFFF") : QColor("#0D1117");
  const QColor ink = light ? QColor("#1F2328") : QColor("#E6EDF3");
  const int pageWidth = (english ? 44 : 36) * em;
  const int margin = 2 * em;

  Canvas canvas;
  const int barHeight = QFontMetrics(menu).height() + em;
  canvas.fill(QRect(0, 0, pageWidth + 2 * margin, barHeight), bar);
  int x = margin;
  for (const QString& item : picker.pick(corpus.buttons, 5)) {
    x = canvas.text(item, menu, QColor("#F0F6FC"), {x, em / 2}).right() + 2 * em;
  }
  int y = barHeight + em;
  y = canvas.text(picker.pick(corpus.settings, 1).front(), heading, ink, {margin, y}).bottom();
  y += em / 2;
  const QString date = picker.date(2019);
  y = canvas.text(date, small, colors.secondary, {margin, y}).bottom() + em;
  const int lineHeight = QFontMetrics(body).height() * 3 / 2;
  for (const QString& paragraph : picker.pick(corpus.paragraphs, 2)) {
    const QStringList lines =
        wrapText(paragraph, [&](const QString& line) { return advance(line, body) <= pageWidth; });
    for (const QString& line : lines.mid(0, 6)) {
      canvas.text(line, body, ink, {margin, y});
      y += lineHeight;
    }
    y += em;
  }
  for (const QString& item : picker.pick(corpus.messages, 4)) {
    canvas.text(item, menu, link, {margin + em, y});
    y += QFontMetrics(menu).height() * 3 / 2;
  }
  y += em;
  canvas.fill(QRect(margin, y, pageWidth, 1), colors.separator);
  y += em;
  canvas.text(picker.pick(corpus.cells, 1).front(), small, colors.secondary, {margin, y});
  y += QFontMetrics(small).height() + em;
  return canvas.paint(QSize(pageWidth + 2 * margin, y), background);
}
