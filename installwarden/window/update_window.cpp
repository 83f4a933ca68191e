#include "window/update_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include "window/busy_bar.h"

namespace installwarden {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 250;
constexpr int kSideMargin = 32;
constexpr int kSpacing = 14;
// Font sizes in logical pixels, so they scale with the display as the margins do.
constexpr int kHeadingPixelSize = 20;
constexpr int kDetailPixelSize = 14;
constexpr int kHintPixelSize = 13;
// The hint is secondary text: the label colour at half opacity.
constexpr float kHintOpacity = 0.5f;

QString toQString(const std::string& text) { return QString::fromStdString(text); }

/// The top-level panel: refuses to close (there is no close button, and a window manager's
/// close request must not take the window away) and lets Return press the visible button.
class UpdatePanel final : public QWidget {
 public:
  UpdatePanel() : QWidget(nullptr, panelFlags()) {}

  QPushButton* returnButton = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override { event->ignore(); }

  void keyPressEvent(QKeyEvent* event) override {
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && returnButton != nullptr && !returnButton->isHidden()) {
      returnButton->click();
      return;
    }
    QWidget::keyPressEvent(event);
  }

 private:
  static Qt::WindowFlags panelFlags() {
    // Title bar and minimise button only: no close or maximise button.
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
           Qt::WindowMinimizeButtonHint;
  }
};

QLabel* makeLabel(const char* name, int pixelSize, QFont::Weight weight, bool wraps) {
  auto* label = new QLabel;
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);  // host texts are shown as written, never as markup
  label->setWordWrap(wraps);
  QFont font = QGuiApplication::font();
  font.setPixelSize(pixelSize);
  font.setWeight(weight);
  label->setFont(font);
  if (wraps) {
    // The stack decides the width; a long word must not widen it.
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  }
  return label;
}

void centreOnScreen(QWidget& window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  window.move(area.x() + (area.width() - kWidth) / 2, area.y() + (area.height() - kHeight) / 2);
}

/// Button titles treat "&" as a mnemonic marker; the host's text is shown literally.
QString literalButtonTitle(const std::string& text) {
  return toQString(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

}  // namespace

UpdateWindow::UpdateWindow(const UpdateRequest& request) : messages_(request.messages) {
  auto panel = std::make_unique<UpdatePanel>();
  panel->setObjectName("updateWindow");
  panel->setWindowTitle(toQString(std::string(kWindowTitle)));
  panel->setFixedSize(kWidth, kHeight);
  centreOnScreen(*panel);
  panel->setAccessibleName(toQString(messageFor(messages_, "updateTitle")));

  heading_ = makeLabel("heading", kHeadingPixelSize, QFont::DemiBold, false);
  detail_ = makeLabel("detail", kDetailPixelSize, QFont::Normal, true);
  hint_ = makeLabel("hint", kHintPixelSize, QFont::Normal, true);
  QPalette hintPalette = hint_->palette();
  QColor secondary = hintPalette.color(QPalette::WindowText);
  secondary.setAlphaF(kHintOpacity);
  hintPalette.setColor(QPalette::WindowText, secondary);
  hint_->setPalette(hintPalette);

  heading_->setText(toQString(messageFor(messages_, "updateTitle")));
  hint_->setText(toQString(messageFor(messages_, "updateHint")));

  progress_ = new BusyBar;
  progress_->setObjectName("progress");
  progress_->setTextVisible(false);
  progress_->setAccessibleName(toQString(messageFor(messages_, "updateTitle")));
  progress_->setBusy(false);

  openButton_ = new QPushButton;
  openButton_->setObjectName("openButton");
  openButton_->setText(literalButtonTitle(messageFor(messages_, "updateOpen")));
  openButton_->setAutoDefault(false);
  openButton_->setHidden(true);
  QObject::connect(openButton_, &QPushButton::clicked, [this] { openApplication(); });
  panel->returnButton = openButton_;

  // The stack: its height follows its content and it stays centred vertically; hidden views
  // take no room and no spacing.
  auto* stack = new QWidget;
  stack->setObjectName("stack");
  auto* stackLayout = new QVBoxLayout(stack);
  stackLayout->setContentsMargins(0, 0, 0, 0);
  stackLayout->setSpacing(kSpacing);
  stackLayout->addWidget(heading_, 0, Qt::AlignLeft);
  stackLayout->addWidget(detail_);
  stackLayout->addWidget(progress_);
  stackLayout->addWidget(hint_);
  stackLayout->addWidget(openButton_, 0, Qt::AlignLeft);

  auto* outer = new QVBoxLayout(panel.get());
  outer->setContentsMargins(kSideMargin, 0, kSideMargin, 0);
  outer->setSpacing(0);
  outer->addStretch(1);
  outer->addWidget(stack);
  outer->addStretch(1);

  window_ = std::move(panel);
}

UpdateWindow::~UpdateWindow() = default;

void UpdateWindow::bringForward() {
  if (window_->isMinimized()) {
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
  }
  window_->show();
  // The headless platform has no stacking order and complains on every raise.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) window_->raise();
  window_->activateWindow();
}

void UpdateWindow::hide() { window_->hide(); }

bool UpdateWindow::isVisible() { return window_->isVisible() && !window_->isMinimized(); }

void UpdateWindow::update(Phase phase, bool slow) {
  const WindowState state = windowState(messages_, phase, slow);
  detail_->setText(toQString(state.detail));
  heading_->setText(toQString(state.heading));
  hint_->setHidden(state.failed);
  openButton_->setHidden(!state.failed);
  progress_->setHidden(state.failed);
  progress_->setBusy(!state.failed);
}

void UpdateWindow::openApplication() {
  if (!reopen) return;
  // A copy, so the callback survives even if it replaces `reopen` while running.
  const std::function<void()> callback = reopen;
  callback();
}

}  // namespace installwarden
