#include "scenes.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <random>

namespace {

struct Palette {
  QColor window, panel, text, secondary, accent, onAccent, sidebar, separator, control;
};

Palette paletteFor(Theme theme) {
  if (theme == Theme::Light) {
    return {QColor("#ECECEC"), QColor("#FFFFFF"), QColor("#1D1D1F"),
            QColor("#6E6E73"), QColor("#0A84FF"), QColor("#FFFFFF"),
            QColor("#E3E3E8"), QColor("#D1D1D6"), QColor("#E5E5EA")};
  }
  return {QColor("#1E1E1E"), QColor("#2C2C2E"), QColor("#F2F2F7"),
          QColor("#98989D"), QColor("#0A84FF"), QColor("#FFFFFF"),
          QColor("#252527"), QColor("#3A3A3C"), QColor("#48484A")};
}

// Picks distinct strings from a pool, reproducibly.
class Picker {
 public:
  explicit Picker(unsigned seed) : random_(seed) {}
  QStringList pick(const QStringList& pool, int count) {
    QStringList copy = pool;
    std::shuffle(copy.begin(), copy.end(), random_);
    return copy.mid(0, std::min<int>(count, copy.size()));
  }

 private:
  std::mt19937 random_;
};

// Collects drawing steps so the image can be sized to its content: fills are painted in order
// (those added with `under` first), then every text.
class Canvas {
 public:
  void fill(QRect rect, QColor color, int radius = 0) { fills_.push_back({rect, color, radius}); }
  void under(QRect rect, QColor color, int radius = 0) {
    fills_.insert(fills_.begin(), {rect, color, radius});
  }
  QRect text(const QString& text, const QFont& font, QColor color, QPoint topLeft) {
    const QFontMetrics metrics(font);
    const QRect box(topLeft, QSize(metrics.horizontalAdvance(text), metrics.height()));
    texts_.push_back({text, font, color, box, metrics.ascent()});
    return box;
  }
  RenderedScene paint(QSize size, QColor background) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::NoPen);
    for (const Fill& f : fills_) {
      painter.setBrush(f.color);
      painter.drawRoundedRect(f.rect, f.radius, f.radius);
    }
    RenderedScene scene;
    for (const Text& t : texts_) {
      painter.setFont(t.font);
      painter.setPen(t.color);
      painter.drawText(QPoint(t.box.left(), t.box.top() + t.ascent), t.text);
      scene.lines.push_back({t.text, t.box});
    }
    painter.end();
    scene.image = image;
    return scene;
  }

 private:
  struct Fill {
    QRect rect;
    QColor color;
    int radius;
  };
  struct Text {
    QString text;
    QFont font;
    QColor color;
    QRect box;
    int ascent;
  };
  std::vector<Fill> fills_;
  std::vector<Text> texts_;
};

QFont fontOf(const QString& family, int pixelSize, bool bold = false) {
  QFont font(family);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

int advance(const QString& text, const QFont& font) {
  return QFontMetrics(font).horizontalAdvance(text);
}

int widest(const QStringList& texts, const QFont& font) {
  int width = 0;
  for (const QString& t : texts) width = std::max(width, advance(t, font));
  return width;
}

// A dialog: title, two messages and a dimmed note, a plain and a highlighted button.
RenderedScene dialog(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors) {
  Picker picker(recipe.seed);
  const int em = recipe.pixelSize;
  const QFont body = fontOf(corpus.sansFamily, em);
  const QFont bold = fontOf(corpus.sansFamily, em, true);
  const QString title = picker.pick(corpus.titles, 1).front();
  const QStringList messages = picker.pick(corpus.messages, 3);
  const QStringList buttons = picker.pick(corpus.buttons, 2);
  const int lineHeight = QFontMetrics(body).height() * 3 / 2;
  const int pad = em;

  int buttonsWidth = 0;
  for (const QString& b : buttons) buttonsWidth += advance(b, body) + 2 * pad + em;
  const int contentWidth = std::max({widest(messages, body), advance(title, bold), buttonsWidth});
  const int margin = 2 * em;
  const int left = margin + 2 * em;
  const int panelWidth = contentWidth + 4 * em;

  Canvas canvas;
  int y = margin + em;
  canvas.text(title, bold, colors.text, {left, y});
  y += lineHeight + em / 2;
  for (int i = 0; i < messages.size(); ++i) {
    canvas.text(messages[i], body, i == 2 ? colors.secondary : colors.text, {left, y});
    y += lineHeight;
  }
  y += em;
  const int buttonHeight = QFontMetrics(body).height() + em;
  int x = margin + panelWidth - 2 * em;
  for (int i = static_cast<int>(buttons.size()) - 1; i >= 0; --i) {
    const int width = advance(buttons[i], body) + 2 * pad;
    x -= width;
    const bool primary = i == static_cast<int>(buttons.size()) - 1;
    canvas.fill(QRect(x, y, width, buttonHeight), primary ? colors.accent : colors.control, em / 3);
    canvas.text(buttons[i], body, primary ? colors.onAccent : colors.text, {x + pad, y + em / 2});
    x -= em;
  }
  y += buttonHeight + em;
  canvas.under(QRect(margin, margin, panelWidth, y - margin), colors.panel, em / 2);
  return canvas.paint(QSize(panelWidth + 2 * margin, y + margin), colors.window);
}

// A settings pane: a sidebar with one selected item, a heading, rows of names and values.
RenderedScene settings(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors) {
  Picker picker(recipe.seed);
  const int em = recipe.pixelSize;
  const QFont body = fontOf(corpus.sansFamily, em);
  const QFont heading = fontOf(corpus.sansFamily, em * 5 / 4, true);
  const QStringList items = picker.pick(corpus.sidebar, 8);
  const QString title = picker.pick(corpus.titles, 1).front();
  const QStringList names = picker.pick(corpus.settings, 7);
  const QStringList values = picker.pick(corpus.values, 7);
  const int rowHeight = QFontMetrics(body).height() * 2;

  const int sidebarWidth = widest(items, body) + 3 * em;
  const int contentLeft = sidebarWidth + 2 * em;
  const int contentWidth = std::max(widest(names, body) + widest(values, body) + 6 * em,
                                    advance(title, heading) + 2 * em);
  const int width = contentLeft + contentWidth + 2 * em;

  Canvas canvas;
  int y = em;
  for (int i = 0; i < items.size(); ++i) {
    const bool selected = i == 1;
    if (selected) {
      canvas.fill(QRect(em / 2, y - em / 4, sidebarWidth - em, rowHeight - em / 2), colors.accent,
                  em / 3);
    }
    canvas.text(items[i], body, selected ? colors.onAccent : colors.text,
                {em * 3 / 2, y + (rowHeight - em / 2 - QFontMetrics(body).height()) / 2 - em / 4});
    y += rowHeight;
  }
  const int sidebarBottom = y + em;

  y = em;
  canvas.text(title, heading, colors.text, {contentLeft, y});
  y += QFontMetrics(heading).height() + em;
  const int panelTop = y;
  for (int i = 0; i < names.size(); ++i) {
    const int textTop = y + (rowHeight - QFontMetrics(body).height()) / 2;
    canvas.text(names[i], body, colors.text, {contentLeft + em, textTop});
    const int valueWidth = advance(values[i], body);
    canvas.text(values[i], body, colors.secondary,
                {contentLeft + contentWidth - em - valueWidth, textTop});
    y += rowHeight;
    if (i + 1 < names.size())
      canvas.fill(QRect(contentLeft + em, y, contentWidth - 2 * em, 1), colors.separator);
  }
  canvas.under(QRect(contentLeft, panelTop, contentWidth, y - panelTop), colors.panel, em / 2);
  const int height = std::max(sidebarBottom, y + em);
  canvas.under(QRect(0, 0, sidebarWidth, height), colors.sidebar);
  return canvas.paint(QSize(width, height), colors.window);
}

// A page of document text: a heading and two paragraphs of single lines.
RenderedScene document(const SceneRecipe& recipe, const Corpus& corpus, const Palette& colors) {
  Picker picker(recipe.seed);
  const int em = recipe.pixelSize;
  const QFont body = fontOf(corpus.serifFamily, em);
  const QFont heading = fontOf(corpus.sansFamily, em * 7 / 5, true);
  const QString title = picker.pick(corpus.titles, 1).front();
  const QStringList lines = picker.pick(corpus.prose, 8);
  const int lineHeight = QFontMetrics(body).height() * 17 / 10;
  const int margin = 3 * em;

  Canvas canvas;
  int y = 2 * em;
  canvas.text(title, heading, colors.text, {margin, y});
  y += QFontMetrics(heading).height() + em;
  for (int i = 0; i < lines.size(); ++i) {
    if (i == 4) y += lineHeight / 2;  // paragraph break
    canvas.text(lines[i], body, colors.text, {margin, y});
    y += lineHeight;
  }
  const int width = std::max(widest(lines, body), advance(title, heading)) + 2 * margin;
  return canvas.paint(QSize(width, y + 2 * em), colors.panel);
}

QString kindName(Kind kind) {
  switch (kind) {
    case Kind::Dialog:
      return "dialog";
    case Kind::Settings:
      return "settings";
    case Kind::Document:
      return "document";
  }
  return "dialog";
}

}  // namespace

RenderedScene renderScene(const SceneRecipe& recipe) {
  const Corpus& corpus = corpusFor(recipe.script);
  const Palette colors = paletteFor(recipe.theme);
  switch (recipe.kind) {
    case Kind::Dialog:
      return dialog(recipe, corpus, colors);
    case Kind::Settings:
      return settings(recipe, corpus, colors);
    case Kind::Document:
      return document(recipe, corpus, colors);
  }
  return dialog(recipe, corpus, colors);
}

QString sceneName(const SceneRecipe& recipe) {
  return QString("%1-%2-%3-%4px-%5")
      .arg(kindName(recipe.kind), recipe.theme == Theme::Light ? "light" : "dark",
           scriptName(recipe.script))
      .arg(recipe.pixelSize, 2, 10, QChar('0'))
      .arg(recipe.seed);
}
