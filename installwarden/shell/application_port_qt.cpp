#include "shell/application_port_qt.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace installwarden {
namespace {

/// Catches the toolkit's quit request before Qt acts on it, so it goes through the rule and
/// is answered accepted or refused.
class QuitFilter final : public QObject {
 public:
  explicit QuitFilter(QtApplicationPort& port) : port_(port) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Quit) return QObject::eventFilter(watched, event);
    port_.terminate();
    event->setAccepted(port_.ended());
    return true;
  }

 private:
  QtApplicationPort& port_;
};

}  // namespace

QtApplicationPort::QtApplicationPort() : quitFilter_(std::make_unique<QuitFilter>(*this)) {
  if (QCoreApplication* app = QCoreApplication::instance())
    app->installEventFilter(quitFilter_.get());
}

QtApplicationPort::~QtApplicationPort() {
  if (QCoreApplication* app = QCoreApplication::instance())
    app->removeEventFilter(quitFilter_.get());
}

void QtApplicationPort::setTerminationRule(std::function<bool()> mayTerminate) {
  mayTerminate_ = std::move(mayTerminate);
}

void QtApplicationPort::terminate() {
  if (ended_ || !mayTerminate_ || !mayTerminate_()) return;
  ended_ = true;
  QCoreApplication::exit(0);
}

}  // namespace installwarden
