#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "child_processes.h"

namespace installwarden::e2e {

/// A private X server (Xvfb on a free display number) for tests that need the window on a real
/// display, and what a person does there: press a key in a window.
class XDisplay {
 public:
  /// Starts Xvfb as a child of `processes`; `name()` is empty when it could not start.
  explicit XDisplay(ChildProcesses& processes);
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  /// ":N", or "" when no server is running.
  const std::string& name() const { return name_; }

  /// Presses and releases Return in the mapped top-level window of `width` x `height`, as the
  /// keyboard would. False when no such window appears within `timeout`.
  bool pressReturnInWindow(int width, int height, std::chrono::milliseconds timeout);

 private:
  std::string name_;
  void* display_ = nullptr;  // Display*, kept out of this header so X's macros stay out too
};

}  // namespace installwarden::e2e
