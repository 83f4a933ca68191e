#include "window/update_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

namespace installwarden {
namespace {

const WindowMessages kMessages = {
    {"updateTitle", "Updating"},
    {"updateFailedTitle", "Update failed"},
    {"updateHint", "It reopens itself."},
    {"updateOpen", "Open"},
    {"updatePreparing", "Preparing"},
    {"updateClosing", "Closing"},
    {"updateInstalling", "Installing"},
    {"updateStarting", "Starting"},
    {"updateFailure", "Could not install"},
};

UpdateRequest requestWith(WindowMessages messages) {
  UpdateRequest request;
  request.messages = std::move(messages);
  return request;
}

class UpdateWindowTest : public testing::Test {
 protected:
  void build(WindowMessages messages) {
    window_ = std::make_unique<UpdateWindow>(requestWith(std::move(messages)));
  }
  void showWith(Phase phase) {
    window_->update(phase, false);
    window_->bringForward();
    QApplication::processEvents();
  }
  QWidget& panel() { return window_->widget(); }
  QLabel& label(const char* name) { return *panel().findChild<QLabel*>(name); }
  QProgressBar& progress() { return *panel().findChild<QProgressBar*>("progress"); }
  QPushButton& button() { return *panel().findChild<QPushButton*>("openButton"); }
  bool animating() { return progress().minimum() == 0 && progress().maximum() == 0; }
  void pressReturn() {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(&panel(), &press);
  }
  QRect inPanel(QWidget& child) { return QRect(child.mapTo(&panel(), QPoint(0, 0)), child.size()); }

  std::unique_ptr<UpdateWindow> window_;
};

TEST_F(UpdateWindowTest, NewWindowIsHiddenAndShowsKeysWhenMessagesAreMissing) {
  build({});
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(panel().windowTitle(), "Quorvelin Pro");
  EXPECT_EQ(label("heading").text(), "updateTitle");
  EXPECT_EQ(label("hint").text(), "updateHint");
  EXPECT_EQ(label("detail").text(), "");
  EXPECT_EQ(button().text(), "updateOpen");
  EXPECT_TRUE(button().isHidden());
  EXPECT_FALSE(animating());
  EXPECT_EQ(panel().accessibleName(), "updateTitle");
  EXPECT_EQ(progress().accessibleName(), "updateTitle");
}

TEST_F(UpdateWindowTest, TitleIsNeverAMessage) {
  build({{"updateTitle", "Host title"}, {"title", "x"}, {"windowTitle", "y"}});
  showWith(Phase::kFailed);
  EXPECT_EQ(panel().windowTitle(), "Quorvelin Pro");
  EXPECT_EQ(panel().accessibleName(), "Host title");
}

TEST_F(UpdateWindowTest, EachUpdateDerivesTheWholeStateFromThePhase) {
  build(kMessages);
  struct Step {
    Phase phase;
    bool slow;
    QString heading;
    QString detail;
    bool failed;
  };
  // One window through a sequence, so every step must undo what the previous one set.
  const Step steps[] = {
      {Phase::kPreparing, false, "Updating", "Preparing", false},
      {Phase::kInstalling, false, "Updating", "Installing", false},
      {Phase::kInstalling, true, "Updating", "updateSlow", false},
      {Phase::kFailed, false, "Update failed", "Could not install", true},
      {Phase::kInstalling, false, "Updating", "Installing", false},
      {Phase::kFailed, true, "Update failed", "Could not install", true},
      {Phase::kReady, false, "Updating", "Preparing", false},
      {Phase::kStarting, true, "Updating", "Starting", false},
      {Phase::kCancelled, false, "Updating", "Preparing", false},
      {Phase::kClosing, false, "Updating", "Closing", false},
  };
  for (const auto& step : steps) {
    window_->update(step.phase, step.slow);
    SCOPED_TRACE("phase " + std::string(phaseName(step.phase)) + " slow " +
                 std::to_string(step.slow));
    EXPECT_EQ(label("heading").text(), step.heading);
    EXPECT_EQ(label("detail").text(), step.detail);
    EXPECT_EQ(label("hint").isHidden(), step.failed);
    EXPECT_EQ(progress().isHidden(), step.failed);
    EXPECT_EQ(button().isHidden(), !step.failed);
    EXPECT_EQ(animating(), !step.failed);
  }
  EXPECT_EQ(panel().windowTitle(), "Quorvelin Pro");
  EXPECT_EQ(progress().accessibleName(), "Updating");
}

TEST_F(UpdateWindowTest, FixedSizeWithoutCloseButton) {
  build(kMessages);
  showWith(Phase::kInstalling);
  EXPECT_EQ(panel().size(), QSize(480, 250));
  EXPECT_EQ(panel().minimumSize(), QSize(480, 250));
  EXPECT_EQ(panel().maximumSize(), QSize(480, 250));
  const Qt::WindowFlags flags = panel().windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));

  // A close request (window manager, Alt+F4) leaves the window on screen.
  EXPECT_FALSE(panel().close());
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(UpdateWindowTest, NormalStateStacksFiveViewsCentredWithMarginsAndSpacing) {
  build(kMessages);
  showWith(Phase::kInstalling);
  const QRect heading = inPanel(label("heading"));
  const QRect detail = inPanel(label("detail"));
  const QRect bar = inPanel(progress());
  const QRect hint = inPanel(label("hint"));

  for (const QRect& full : {detail, bar, hint}) {
    EXPECT_EQ(full.left(), 32);
    EXPECT_EQ(full.width(), 416);
  }
  EXPECT_EQ(heading.left(), 32);
  EXPECT_LT(heading.width(), 416);  // natural width at the leading edge
  EXPECT_EQ(detail.top() - (heading.bottom() + 1), 14);
  EXPECT_EQ(bar.top() - (detail.bottom() + 1), 14);
  EXPECT_EQ(hint.top() - (bar.bottom() + 1), 14);
  EXPECT_NEAR((heading.top() + hint.bottom() + 1) / 2.0, 125.0, 1.0);
}

TEST_F(UpdateWindowTest, FailedStateClosesUpTheHiddenViews) {
  build(kMessages);
  showWith(Phase::kFailed);
  const QRect heading = inPanel(label("heading"));
  const QRect detail = inPanel(label("detail"));
  const QRect open = inPanel(button());
  EXPECT_EQ(detail.top() - (heading.bottom() + 1), 14);
  EXPECT_EQ(open.top() - (detail.bottom() + 1), 14);
  EXPECT_EQ(open.left(), 32);
  EXPECT_LT(open.width(), 416);
  EXPECT_NEAR((heading.top() + open.bottom() + 1) / 2.0, 125.0, 1.0);
}

TEST_F(UpdateWindowTest, LongMessagesWrapInsideTheStackWithoutWideningIt) {
  const std::string unbroken(400, 'W');
  WindowMessages messages = kMessages;
  messages["updateInstalling"] = unbroken;
  messages["updateHint"] = "word " + unbroken;
  build(messages);
  showWith(Phase::kInstalling);
  EXPECT_EQ(inPanel(progress()).width(), 416);
  EXPECT_EQ(inPanel(label("detail")).width(), 416);
  EXPECT_EQ(inPanel(label("hint")).width(), 416);
  EXPECT_EQ(panel().size(), QSize(480, 250));
}

TEST_F(UpdateWindowTest, FontsAndSecondaryHintColour) {
  build(kMessages);
  EXPECT_EQ(label("heading").font().pixelSize(), 20);
  EXPECT_EQ(label("heading").font().weight(), QFont::DemiBold);
  EXPECT_FALSE(label("heading").wordWrap());
  EXPECT_EQ(label("detail").font().pixelSize(), 14);
  EXPECT_EQ(label("detail").font().weight(), QFont::Normal);
  EXPECT_TRUE(label("detail").wordWrap());
  EXPECT_EQ(label("hint").font().pixelSize(), 13);
  EXPECT_TRUE(label("hint").wordWrap());
  const QColor primary = label("detail").palette().color(QPalette::WindowText);
  const QColor secondary = label("hint").palette().color(QPalette::WindowText);
  EXPECT_NE(primary, secondary);
  EXPECT_LT(secondary.alpha(), primary.alpha());
}

TEST_F(UpdateWindowTest, HostTextsAreShownLiterallyNotAsMarkupOrMnemonics) {
  build({{"updateTitle", "<img src=\"/etc/passwd\">"},
         {"updateFailure", "<b>bold</b> &amp;"},
         {"updateOpen", "Save & Open"}});
  showWith(Phase::kFailed);
  EXPECT_EQ(label("heading").textFormat(), Qt::PlainText);
  EXPECT_EQ(label("detail").textFormat(), Qt::PlainText);
  EXPECT_EQ(label("hint").textFormat(), Qt::PlainText);
  EXPECT_EQ(label("detail").text(), "<b>bold</b> &amp;");
  EXPECT_TRUE(QKeySequence::mnemonic(button().text()).isEmpty());
  EXPECT_EQ(button().text().replace("&&", "&"), "Save & Open");
}

TEST_F(UpdateWindowTest, ButtonAndReturnRunReopenOnlyInTheFailedState) {
  build(kMessages);
  showWith(Phase::kFailed);
  button().click();  // no callback yet: nothing happens
  pressReturn();

  int calls = 0;
  window_->reopen = [&calls] { ++calls; };
  button().click();
  EXPECT_EQ(calls, 1);
  pressReturn();
  EXPECT_EQ(calls, 2);

  window_->update(Phase::kInstalling, false);
  pressReturn();
  EXPECT_EQ(calls, 2);
}

TEST_F(UpdateWindowTest, ReopenMayReplaceItselfWhileRunning) {
  build(kMessages);
  showWith(Phase::kFailed);
  int calls = 0;
  window_->reopen = [this, &calls] {
    ++calls;
    window_->reopen = nullptr;  // would destroy a running callback that was not copied
  };
  button().click();
  button().click();
  EXPECT_EQ(calls, 1);
}

TEST_F(UpdateWindowTest, VisibilityFollowsBringForwardHideAndMinimise) {
  build(kMessages);
  window_->bringForward();
  EXPECT_TRUE(window_->isVisible());
  window_->hide();
  EXPECT_FALSE(window_->isVisible());
  window_->bringForward();
  panel().showMinimized();
  EXPECT_FALSE(window_->isVisible());
  window_->bringForward();
  EXPECT_TRUE(window_->isVisible());
  EXPECT_FALSE(panel().isMinimized());
}

}  // namespace
}  // namespace installwarden
