#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <random>
#include <vector>

/// One line of text drawn into the image, and where.
struct TruthLine {
  QString text;
  QRect box;
};

struct RenderedScene {
  QImage image;
  std::vector<TruthLine> lines;
};

// Picks distinct strings from a pool, reproducibly.
class Picker {
 public:
  explicit Picker(unsigned seed) : random_(seed) {}
  QStringList pick(const QStringList& pool, int count);
  /// A whole number in [low, high].
  int number(int low, int high);
  /// A date written as YYYY-MM-DD, from `firstYear` to 2025.
  QString date(int firstYear);
  /// A time of day written as HH:MM.
  QString time();

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
  /// Draws `text` with its top-left corner at `topLeft` and returns its box.
  QRect text(const QString& text, const QFont& font, QColor color, QPoint topLeft);
  RenderedScene paint(QSize size, QColor background) const;

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

QFont fontOf(const QString& family, int pixelSize, bool bold = false);
int advance(const QString& text, const QFont& font);
int widest(const QStringList& texts, const QFont& font);
