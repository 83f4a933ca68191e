#include "scan_look.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

RenderedScene scanned(const RenderedScene& scene, double degrees, unsigned seed) {
  const QSize size = scene.image.size();
  const double radians = degrees * std::numbers::pi / 180.0;
  const int margin = static_cast<int>(std::ceil(std::abs(std::sin(radians)) *
                                                std::max(size.width(), size.height()))) +
                     12;
  const QSize paper = size + QSize(2 * margin, 2 * margin);
  QTransform turn;
  turn.translate(paper.width() / 2.0, paper.height() / 2.0);
  turn.rotate(degrees);
  turn.translate(-size.width() / 2.0, -size.height() / 2.0);

  QImage image(paper, QImage::Format_RGB32);
  image.fill(QColor("#F3F1EC"));
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(turn);
    painter.drawImage(0, 0, scene.image);
  }
  // Softness of the optics: down to 80% and back.
  image = image.scaled(paper * 0.8, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
              .scaled(paper, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
              .convertToFormat(QImage::Format_RGB32);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> grain(-7, 7);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int g = grain(random);
      const auto channel = [g](int v) { return std::clamp(v + g, 0, 255); };
      row[x] = qRgb(channel(qRed(row[x])), channel(qGreen(row[x])), channel(qBlue(row[x])));
    }
  }

  RenderedScene out;
  out.image = image;
  for (const TruthLine& line : scene.lines) {
    const QPointF centre = turn.map(QRectF(line.box).center());
    QRect box(QPoint(0, 0), line.box.size());
    box.moveCenter(centre.toPoint());
    out.lines.push_back({line.text, box});
  }
  return out;
}
