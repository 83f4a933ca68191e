#include "window/busy_bar.h"

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QPaintEvent>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace installwarden {
namespace {

constexpr QSize kBarSize(416, 22);

/// Runs the event loop until `done` holds or a generous deadline passes.
bool runUntil(const std::function<bool()>& done) {
  for (int round = 0; round < 40 && !done(); ++round) {
    QEventLoop loop;
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
}

/// Records the rectangles of the paint events a widget receives.
class PaintRecorder final : public QObject {
 public:
  std::vector<QRect> rects;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) rects.push_back(static_cast<QPaintEvent*>(event)->rect());
    return QObject::eventFilter(watched, event);
  }
};

/// A top-level window holding one busy bar, like the update window's stack.
class BusyBarTest : public testing::Test {
 protected:
  BusyBarTest() : window_(std::make_unique<QWidget>()), bar_(new BusyBar) {
    auto* layout = new QVBoxLayout(window_.get());
    layout->addWidget(bar_);
    bar_->setTextVisible(false);
    bar_->setFixedSize(kBarSize);
  }

  QImage image(BusyBar& bar) { return bar.grab().toImage(); }

  std::unique_ptr<QWidget> window_;
  BusyBar* bar_;  // owned by window_
};

TEST_F(BusyBarTest, AnimatesOnlyWhileBusyAndOnScreen) {
  struct Step {
    std::string what;
    std::function<void(QWidget&, BusyBar&)> act;
    bool animating;
  };
  // One bar through a sequence: each step must start or stop the timer left by the last one.
  const Step steps[] = {
      {"busy while hidden", [](QWidget&, BusyBar& bar) { bar.setBusy(true); }, false},
      {"window shown", [](QWidget& window, BusyBar&) { window.show(); }, true},
      {"busy again", [](QWidget&, BusyBar& bar) { bar.setBusy(true); }, true},
      {"not busy", [](QWidget&, BusyBar& bar) { bar.setBusy(false); }, false},
      {"busy", [](QWidget&, BusyBar& bar) { bar.setBusy(true); }, true},
      {"minimised", [](QWidget& window, BusyBar&) { window.showMinimized(); }, false},
      {"restored", [](QWidget& window, BusyBar&) { window.showNormal(); }, true},
      {"bar hidden", [](QWidget&, BusyBar& bar) { bar.hide(); }, false},
      {"bar shown", [](QWidget&, BusyBar& bar) { bar.show(); }, true},
      {"window hidden", [](QWidget& window, BusyBar&) { window.hide(); }, false},
      {"not busy while hidden", [](QWidget&, BusyBar& bar) { bar.setBusy(false); }, false},
      {"window shown, not busy", [](QWidget& window, BusyBar&) { window.show(); }, false},
  };
  for (const auto& step : steps) {
    step.act(*window_, *bar_);
    QApplication::processEvents();
    EXPECT_EQ(bar_->isAnimating(), step.animating) << step.what;
  }
}

TEST_F(BusyBarTest, AFrameRepaintsOnlyTheStripesAndMovesThem) {
  bar_->setBusy(true);
  window_->show();
  QApplication::processEvents();
  const QImage before = image(*bar_);

  PaintRecorder recorder;
  bar_->installEventFilter(&recorder);
  ASSERT_TRUE(runUntil([&] { return !recorder.rects.empty(); }));
  bar_->removeEventFilter(&recorder);
  const QRect area = bar_->stripeArea();
  for (const QRect& painted : recorder.rects) EXPECT_TRUE(area.contains(painted)) << "too much";

  const QImage after = image(*bar_);
  ASSERT_EQ(before.size(), after.size());
  int movedInside = 0;
  int movedOutside = 0;
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      if (before.pixel(x, y) == after.pixel(x, y)) continue;
      ++(area.contains(x, y) ? movedInside : movedOutside);
    }
  }
  EXPECT_GT(movedInside, area.width());  // the stripes moved all along the bar
  EXPECT_EQ(movedOutside, 0);            // the outline and the ends stayed put
}

TEST_F(BusyBarTest, ChangesAfterTheFirstPaintRedrawTheCachedBar) {
  struct Change {
    std::string what;
    std::function<void(BusyBar&)> apply;
  };
  QPalette green;
  green.setColor(QPalette::Highlight, Qt::darkGreen);
  const Change changes[] = {
      {"wider", [](BusyBar& bar) { bar.setFixedSize(kBarSize + QSize(60, 0)); }},
      {"taller", [](BusyBar& bar) { bar.setFixedSize(kBarSize + QSize(0, 10)); }},
      {"palette", [&green](BusyBar& bar) { bar.setPalette(green); }},
  };
  const auto shownBusyBar = [](BusyBar& bar) {
    bar.setBusy(true);
    bar.show();
    QApplication::processEvents();
  };
  for (const auto& change : changes) {
    BusyBar changed;
    changed.setFixedSize(kBarSize);
    shownBusyBar(changed);
    change.apply(changed);
    QApplication::processEvents();

    BusyBar fresh;
    fresh.setFixedSize(kBarSize);
    change.apply(fresh);
    shownBusyBar(fresh);

    // The stripes move on their own; the still parts of both bars must be the same.
    const QImage changedImage = image(changed);
    const QImage freshImage = image(fresh);
    ASSERT_EQ(changedImage.size(), freshImage.size()) << change.what;
    const QRect area = fresh.stripeArea();
    int differing = 0;
    for (int y = 0; y < freshImage.height(); ++y) {
      for (int x = 0; x < freshImage.width(); ++x) {
        if (!area.contains(x, y) && changedImage.pixel(x, y) != freshImage.pixel(x, y)) {
          ++differing;
        }
      }
    }
    EXPECT_EQ(differing, 0) << change.what;
  }
}

}  // namespace
}  // namespace installwarden
