// Dense screens: a table of short cells and bare numbers, and a chat on a mid-grey background.

#include <QFontMetrics>
#include <algorithm>

#include "scenes.h"
#include "text/screen_text.h"

namespace {

// Numbers as tables show them: counts, sizes, dates, times, shares.
QString number(Picker& picker, int column) {
  switch (column % 4) {
    case 0:
      return QString::number(picker.number(1, 99999));
    case 1:
      return QString::number(picker.number(1, 999)) + "." + QString::number(picker.number(0, 9));
    case 2:
      return picker.date(2015);
    default:
      return picker.time();
  }
}

}  // namespace

// A table: a bold header row, a column of names, one of short entries and three of numbers,
// rows striped, numbers right-aligned.
RenderedScene table(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors) {
  Picker picker(recipe.seed);
  const int em = recipe.pixelSize;
  const QFont body = fontOf(corpus.sansFamily, em);
  const QFont bold = fontOf(corpus.sansFamily, em, true);
  const int rows = 14;
  const QStringList headers = picker.pick(corpus.buttons, 5);
  const QStringList names = picker.pick(corpus.cells, rows);
  const QStringList entries = picker.pick(corpus.values, rows);
  const int numberOffset = picker.number(0, 3);

  std::vector<QStringList> columns = {names, entries, {}, {}, {}};
  for (int c = 2; c < 5; ++c) {
    for (int r = 0; r < rows; ++r) columns[c].push_back(number(picker, c + numberOffset));
  }
  const int rowHeight = QFontMetrics(body).height() + em / 2;
  const int pad = em * 2 / 3;
  std::vector<int> widths;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    widths.push_back(std::max(widest(columns[c], body), advance(headers.value(c), bold)) + 2 * pad);
  }

  Canvas canvas;
  const int left = em, top = em;
  int width = 0;
  for (int w : widths) width += w;
  const QColor stripe = recipe.theme == Theme::Light ? QColor("#F4F5F7") : QColor("#333336");
  const int textOffset = (rowHeight - QFontMetrics(body).height()) / 2;
  for (int r = -1; r < rows; ++r) {
    const int y = top + (r + 1) * rowHeight;
    if (r >= 0 && r % 2 == 1) canvas.fill(QRect(left, y, width, rowHeight), stripe);
    int x = left;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const QString text = r < 0 ? headers.value(c) : columns[c].value(r);
      const QFont& font = r < 0 ? bold : body;
      const bool right = c >= 2;
      const int textX = right ? x + widths[c] - pad - advance(text, font) : x + pad;
      if (!text.isEmpty()) {
        canvas.text(text, font, r < 0 ? colors.secondary : colors.text, {textX, y + textOffset});
      }
      x += widths[c];
      if (c + 1 < columns.size()) canvas.fill(QRect(x, y, 1, rowHeight), colors.separator);
    }
    canvas.fill(QRect(left, y + rowHeight - 1, width, 1), colors.separator);
  }
  canvas.under(QRect(left, top, width, (rows + 1) * rowHeight), colors.panel);
  return canvas.paint(QSize(width + 2 * em, (rows + 1) * rowHeight + 2 * em), colors.window);
}

// A chat: bubbles from two people on a mid-grey background, long messages wrapped, a time
// stamp between some of them.
RenderedScene chat(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors) {
  Picker picker(recipe.seed);
  const int em = recipe.pixelSize;
  const QFont body = fontOf(corpus.sansFamily, em);
  const QFont small = fontOf(corpus.sansFamily, std::max(10, em * 5 / 6));
  const QStringList messages = picker.pick(corpus.messages, 5) + picker.pick(corpus.buttons, 4);
  const bool light = recipe.theme == Theme::Light;
  const QColor background = light ? QColor("#A3A3A3") : QColor("#5C5C5E");
  const QColor incoming = light ? QColor("#FFFFFF") : QColor("#3A3A3C");
  const QColor outgoing = light ? QColor("#95EC69") : QColor("#2F7D3A");
  const QColor stamp = light ? QColor("#EDEDED") : QColor("#C8C8CC");
  const int width = 30 * em;
  const int maxText = 20 * em;
  const int pad = em * 2 / 3;
  const int lineHeight = QFontMetrics(body).height();

  Canvas canvas;
  int y = em;
  std::vector<int> order(static_cast<std::size_t>(messages.size()));
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::shuffle(order.begin(), order.end(), std::mt19937(recipe.seed));
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k % 3 == 0) {
      const QString time =
          QString("%1:%2").arg(picker.number(8, 23)).arg(picker.number(0, 59), 2, 10, QChar('0'));
      canvas.text(time, small, stamp, {(width - advance(time, small)) / 2, y});
      y += QFontMetrics(small).height() + em / 2;
    }
    const QStringList lines = wrapText(
        messages[order[k]], [&](const QString& line) { return advance(line, body) <= maxText; });
    const bool mine = picker.number(0, 1) == 1;
    const int bubbleWidth = widest(lines, body) + 2 * pad;
    const int bubbleHeight = static_cast<int>(lines.size()) * lineHeight + 2 * pad;
    const int x = mine ? width - em - bubbleWidth : em;
    canvas.fill(QRect(x, y, bubbleWidth, bubbleHeight), mine ? outgoing : incoming, em / 2);
    const QColor ink = light || !mine ? colors.text : QColor("#FFFFFF");
    for (int i = 0; i < lines.size(); ++i) {
      canvas.text(lines[i], body, ink, {x + pad, y + pad + i * lineHeight});
    }
    y += bubbleHeight + em * 2 / 3;
  }
  return canvas.paint(QSize(width, y + em), background);
}
