#pragma once

#include <QBasicTimer>
#include <QPixmap>
#include <QProgressBar>

namespace installwarden {

/// An indeterminate progress bar that costs little while it moves, for a window that may stay up
/// for minutes on a laptop on battery. It looks like the style's busy bar (a full bar with
/// diagonal stripes running across it), but draws the bar once into pixmaps and then only copies
/// the stripes a few pixels further at a modest frame rate, repainting just the area inside the
/// bar's outline. The style's own animation redraws the whole bar through anti-aliased vector
/// paths about 60 times a second. Main thread only.
class BusyBar final : public QProgressBar {
 public:
  explicit BusyBar(QWidget* parent = nullptr);

  /// Busy: the range is 0..0 and the stripes move while the bar is on screen. Not busy: an empty
  /// 0..1 bar, drawn by the style. Calling it again with the same value changes nothing.
  void setBusy(bool busy);
  bool isBusy() const { return minimum() == 0 && maximum() == 0; }

  /// Whether the frame timer runs: only while busy and on screen (shown, not minimised).
  bool isAnimating() const { return frameTimer_.isActive(); }

  /// The part of the bar that changes from one frame to the next, in the bar's coordinates.
  QRect stripeArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void updateFrameTimer();
  void renderCaches(qreal devicePixelRatio);

  QBasicTimer frameTimer_;
  int stripeShift_ = 0;  // logical pixels, 0 up to the stripe period
  QPixmap bar_;          // the whole bar, opaque, without stripes
  QPixmap stripes_;      // the inside of the bar with its stripes, one period wider than the area
};

}  // namespace installwarden
