#include "x_display.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <thread>

namespace installwarden::e2e {

namespace {

Display* asDisplay(void* display) { return static_cast<Display*>(display); }

/// The first line Xvfb writes to its -displayfd, within a few seconds.
std::string readDisplayNumber(int fd) {
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (text.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 100) <= 0) continue;
    char buffer[32];
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count <= 0) break;
    text.append(buffer, static_cast<std::size_t>(count));
  }
  const auto end = text.find('\n');
  return end == std::string::npos ? "" : text.substr(0, end);
}

std::optional<Window> findWindow(Display* display, int width, int height) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) == 0) {
    return std::nullopt;
  }
  std::optional<Window> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
        attributes.map_state == IsViewable && attributes.width == width &&
        attributes.height == height) {
      found = children[i];
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

void sendKey(Display* display, Window window, int type, unsigned keycode) {
  XKeyEvent key{};
  key.type = type;
  key.display = display;
  key.window = window;
  key.root = DefaultRootWindow(display);
  key.time = CurrentTime;
  key.x = key.y = key.x_root = key.y_root = 1;
  key.keycode = keycode;
  key.same_screen = True;
  XEvent event{};
  event.xkey = key;
  XSendEvent(display, window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask, &event);
}

}  // namespace

XDisplay::XDisplay(ChildProcesses& processes) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return;
  // The write end must survive exec: Xvfb reports its display number there.
  const int reportFd = ::fcntl(pipeEnds[1], F_DUPFD, 10);
  ::close(pipeEnds[1]);
  const auto server = processes.start({"/usr/bin/Xvfb", "-displayfd", std::to_string(reportFd),
                                       "-nolisten", "tcp", "-screen", "0", "1024x768x24"},
                                      headlessEnvironment({}), "/dev/null");
  ::close(reportFd);
  if (server) {
    const std::string number = readDisplayNumber(pipeEnds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ::close(pipeEnds[0]);
  if (!name_.empty()) display_ = XOpenDisplay(name_.c_str());
  if (display_ == nullptr) name_.clear();
}

XDisplay::~XDisplay() {
  if (display_ != nullptr) XCloseDisplay(asDisplay(display_));
}

bool XDisplay::pressReturnInWindow(int width, int height, std::chrono::milliseconds timeout) {
  if (display_ == nullptr) return false;
  Display* display = asDisplay(display_);
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::optional<Window> window;
  while (!(window = findWindow(display, width, height))) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const unsigned keycode = XKeysymToKeycode(display, XK_Return);
  sendKey(display, *window, KeyPress, keycode);
  sendKey(display, *window, KeyRelease, keycode);
  XFlush(display);
  return true;
}

}  // namespace installwarden::e2e
