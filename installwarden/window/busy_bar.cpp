#include "window/busy_bar.h"

#include <QEvent>
#include <QMargins>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QStyle>
#include <QStyleOptionProgressBar>
#include <QTimerEvent>

#include <cmath>

namespace installwarden {
namespace {

// 8 frames a second of 4 pixels each. Every frame costs a wake-up and a repaint, so the rate is
// modest; 125 ms divides the assistant's 0.5 s tick, so coarse timers can fire one frame in four
// together with the tick.
constexpr int kFrameMilliseconds = 125;
constexpr int kStripeStep = 4;
// The stripes as the style draws them: a wide, pale, half-transparent diagonal every 22 pixels.
constexpr int kStripePeriod = 22;
constexpr qreal kStripeWidth = 9.0;
constexpr int kStripeLighter = 120;  // percent
constexpr int kStripeAlpha = 120;
// The bar's outline, its ends and the highlight along its top stay still; only what lies
// inside them moves.
constexpr QMargins kStillEdges(2, 2, 2, 1);
// Wide enough to push the style's rounded ends out of the strip.
constexpr int kOverhang = 8;

/// An opaque pixmap of `logicalSize` filled with `colour`, for `devicePixelRatio`.
QPixmap opaquePixmap(QSize logicalSize, qreal devicePixelRatio, const QColor& colour) {
  QPixmap pixmap(std::ceil(logicalSize.width() * devicePixelRatio),
                 std::ceil(logicalSize.height() * devicePixelRatio));
  pixmap.setDevicePixelRatio(devicePixelRatio);
  pixmap.fill(colour);  // opaque from the start, so copying it needs no blending
  return pixmap;
}

}  // namespace

BusyBar::BusyBar(QWidget* parent) : QProgressBar(parent) {
  // Every paint covers the whole bar, so the panel behind it is not painted on each frame.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void BusyBar::setBusy(bool busy) {
  if (busy) {
    setRange(0, 0);
  } else {
    setRange(0, 1);
    setValue(0);
  }
  updateFrameTimer();
}

QRect BusyBar::stripeArea() const { return rect().marginsRemoved(kStillEdges); }

void BusyBar::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (!isBusy()) {
    painter.fillRect(rect(), palette().window());
    painter.end();
    QProgressBar::paintEvent(event);
    return;
  }
  const qreal devicePixelRatio = devicePixelRatioF();
  if (bar_.isNull() || bar_.devicePixelRatio() != devicePixelRatio) renderCaches(devicePixelRatio);
  const QRect area = stripeArea();
  // A frame damages only the stripe area; anything more is a full repaint.
  if (!area.contains(event->rect())) painter.drawPixmap(0, 0, bar_);
  if (area.isEmpty()) return;
  painter.setClipRect(area);
  painter.drawPixmap(area.left() - kStripePeriod + stripeShift_, area.top(), stripes_);
}

void BusyBar::timerEvent(QTimerEvent* event) {
  if (event->timerId() != frameTimer_.timerId()) {
    QProgressBar::timerEvent(event);
    return;
  }
  stripeShift_ = (stripeShift_ + kStripeStep) % kStripePeriod;
  update(stripeArea());
}

void BusyBar::showEvent(QShowEvent* event) {
  QProgressBar::showEvent(event);
  updateFrameTimer();
}

void BusyBar::hideEvent(QHideEvent* event) {
  QProgressBar::hideEvent(event);
  updateFrameTimer();
}

void BusyBar::resizeEvent(QResizeEvent* event) {
  QProgressBar::resizeEvent(event);
  bar_ = QPixmap();
}

void BusyBar::changeEvent(QEvent* event) {
  QProgressBar::changeEvent(event);
  const QEvent::Type type = event->type();
  if (type == QEvent::PaletteChange || type == QEvent::StyleChange ||
      type == QEvent::EnabledChange) {
    bar_ = QPixmap();
  }
}

void BusyBar::updateFrameTimer() {
  // Minimising sends a hide event without clearing isVisible(), hence the window state.
  const bool run = isBusy() && isVisible() && !window()->isMinimized();
  if (run && !frameTimer_.isActive()) {
    frameTimer_.start(kFrameMilliseconds, Qt::CoarseTimer, this);
  } else if (!run) {
    frameTimer_.stop();
  }
}

void BusyBar::renderCaches(qreal devicePixelRatio) {
  // The style draws the still bar as a full determinate one, which never starts its own
  // animation.
  QStyleOptionProgressBar option;
  initStyleOption(&option);
  option.minimum = 0;
  option.maximum = 1;
  option.progress = 1;
  option.textVisible = false;
  option.styleObject = nullptr;
  bar_ = opaquePixmap(size(), devicePixelRatio, palette().color(QPalette::Window));
  {
    QPainter painter(&bar_);
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);
  }

  // The strip under the stripes is the same bar drawn wider, so that its ends fall outside; it
  // is one period wider than the area, so every shift from 0 to a period covers the area.
  const QRect area = stripeArea();
  if (area.isEmpty()) return;
  const int stripWidth = area.width() + kStripePeriod;
  stripes_ = opaquePixmap(QSize(stripWidth, area.height()), devicePixelRatio,
                          palette().color(QPalette::Window));
  QPainter painter(&stripes_);
  painter.translate(0, -area.top());
  option.rect = QRect(-kOverhang, 0, stripWidth + 2 * kOverhang, height());
  style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);

  QColor colour = palette().color(QPalette::Highlight).lighter(kStripeLighter);
  colour.setAlpha(kStripeAlpha);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(colour, kStripeWidth));
  painter.setClipRect(0, area.top(), stripWidth, area.height());
  // Diagonals across the bar's full height, overshooting it so that no end shows.
  const int rise = height() + 2;
  for (int x = -rise - kStripePeriod; x < stripWidth + kStripePeriod; x += kStripePeriod) {
    painter.drawLine(x, height(), x + rise, -2);
  }
}

}  // namespace installwarden
