#pragma once

#include <functional>
#include <memory>
#include <string>

#include "assistant/ports.h"
#include "update_state/update_request.h"
#include "window/window_text.h"

class QLabel;
class QPushButton;
class QWidget;

namespace installwarden {

class BusyBar;

/// The assistant's only window: a fixed 480 x 250 panel with a heading, a detail line, an
/// indeterminate progress bar, a hint and, after a failure, a button that reopens the
/// application. Every text but the title is a host message. Built hidden; it never shows or
/// hides itself. Main thread only; needs a QApplication that outlives it.
class UpdateWindow final : public WindowPort {
 public:
  /// Builds the complete window, hidden, from the request's messages.
  explicit UpdateWindow(const UpdateRequest& request);
  ~UpdateWindow() override;
  UpdateWindow(const UpdateWindow&) = delete;
  UpdateWindow& operator=(const UpdateWindow&) = delete;

  /// Activates the window, un-minimises it and raises it.
  void bringForward() override;
  void hide() override;
  /// On screen: shown and not minimised.
  bool isVisible() override;
  /// Re-applies every text and the normal or failed state for `phase`.
  void update(Phase phase, bool slow) override;

  /// The open button's action: runs `reopen` once when set, otherwise nothing.
  void openApplication();

  /// Run by the open button; empty until the assistant wires it.
  std::function<void()> reopen;

  /// The top-level widget, for rendering it to an image.
  QWidget& widget() { return *window_; }

 private:
  WindowMessages messages_;
  std::unique_ptr<QWidget> window_;
  // Owned by `window_`'s widget tree.
  QLabel* heading_ = nullptr;
  QLabel* detail_ = nullptr;
  BusyBar* progress_ = nullptr;
  QLabel* hint_ = nullptr;
  QPushButton* openButton_ = nullptr;
};

}  // namespace installwarden
