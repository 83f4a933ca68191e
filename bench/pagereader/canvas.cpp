#include "canvas.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

QStringList Picker::pick(const QStringList& pool, int count) {
  QStringList copy = pool;
  std::shuffle(copy.begin(), copy.end(), random_);
  return copy.mid(0, std::min<int>(count, copy.size()));
}

int Picker::number(int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(random_);
}

QString Picker::date(int firstYear) {
  const int year = number(firstYear, 2025);
  const int month = number(1, 12);
  const int day = number(1, 28);
  return QString("%1-%2-%3").arg(year).arg(month, 2, 10, QChar('0')).arg(day, 2, 10, QChar('0'));
}

QString Picker::time() {
  const int hour = number(0, 23);
  const int minute = number(0, 59);
  return QString("%1:%2").arg(hour, 2, 10, QChar('0')).arg(minute, 2, 10, QChar('0'));
}

QRect Canvas::text(const QString& text, const QFont& font, QColor color, QPoint topLeft) {
  const QFontMetrics metrics(font);
  const QRect box(topLeft, QSize(metrics.horizontalAdvance(text), metrics.height()));
  texts_.push_back({text, font, color, box, metrics.ascent()});
  return box;
}

RenderedScene Canvas::paint(QSize size, QColor background) const {
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

QFont fontOf(const QString& family, int pixelSize, bool bold) {
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
