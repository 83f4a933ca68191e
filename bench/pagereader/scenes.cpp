#include "scenes.h"

#include <QFontMetrics>
#include <algorithm>

namespace {

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

}  // namespace

Palette paletteFor(Theme theme, Contrast contrast) {
  Palette p = theme == Theme::Light
                  ? Palette{QColor("#ECECEC"), QColor("#FFFFFF"), QColor("#1D1D1F"),
                            QColor("#6E6E73"), QColor("#0A84FF"), QColor("#FFFFFF"),
                            QColor("#E3E3E8"), QColor("#D1D1D6"), QColor("#E5E5EA")}
                  : Palette{QColor("#1E1E1E"), QColor("#2C2C2E"), QColor("#F2F2F7"),
                            QColor("#98989D"), QColor("#0A84FF"), QColor("#FFFFFF"),
                            QColor("#252527"), QColor("#3A3A3C"), QColor("#48484A")};
  if (contrast == Contrast::Low) {
    // Dimmed text as on disabled controls and placeholder text; the accent greys out too.
    p.text = theme == Theme::Light ? QColor("#A1A1A6") : QColor("#737378");
    p.secondary = theme == Theme::Light ? QColor("#C0C0C4") : QColor("#5A5A5E");
    p.accent = p.control;
    p.onAccent = p.text;
  }
  return p;
}

QString kindName(Kind kind) {
  switch (kind) {
    case Kind::Dialog:
      return "dialog";
    case Kind::Settings:
      return "settings";
    case Kind::Document:
      return "document";
    case Kind::Table:
      return "table";
    case Kind::Chat:
      return "chat";
    case Kind::ManPage:
      return "man";
    case Kind::WebPage:
      return "web";
  }
  return "dialog";
}

RenderedScene renderScene(const SceneRecipe& recipe, const Corpus& corpus) {
  const Palette colors = paletteFor(recipe.theme, recipe.contrast);
  switch (recipe.kind) {
    case Kind::Dialog:
      return dialog(recipe, corpus, colors);
    case Kind::Settings:
      return settings(recipe, corpus, colors);
    case Kind::Document:
      return document(recipe, corpus, colors);
    case Kind::Table:
      return table(recipe, corpus, colors);
    case Kind::Chat:
      return chat(recipe, corpus, colors);
    case Kind::ManPage:
      return manPage(recipe, corpus, colors);
    case Kind::WebPage:
      return webPage(recipe, corpus, colors);
  }
  return dialog(recipe, corpus, colors);
}

QString sceneName(const SceneRecipe& recipe) {
  const QString theme = QString(recipe.theme == Theme::Light ? "light" : "dark") +
                        (recipe.contrast == Contrast::Low ? "-dim" : "");
  return QString("%1-%2-%3-%4px-%5")
      .arg(kindName(recipe.kind), theme, scriptName(recipe.script))
      .arg(recipe.pixelSize, 2, 10, QChar('0'))
      .arg(recipe.seed);
}
