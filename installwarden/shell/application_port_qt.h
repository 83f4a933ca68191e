#pragma once

#include <functional>
#include <memory>

#include "assistant/ports.h"

class QObject;

namespace installwarden {

/// The application object as the assistant sees it. Ends the Qt event loop (exit status 0)
/// only when the termination rule allows it, whoever asks: the assistant itself, the
/// toolkit's quit (intercepted and refused otherwise) or a stop signal routed here. Needs a
/// QCoreApplication that outlives it.
class QtApplicationPort final : public ApplicationPort {
 public:
  QtApplicationPort();
  ~QtApplicationPort() override;
  QtApplicationPort(const QtApplicationPort&) = delete;
  QtApplicationPort& operator=(const QtApplicationPort&) = delete;

  /// Asked at every request; until it is set every request is refused.
  void setTerminationRule(std::function<bool()> mayTerminate);

  /// Ends the loop when the rule allows it; otherwise nothing.
  void terminate() override;

  /// Whether a request was granted and the loop told to end.
  bool ended() const { return ended_; }

 private:
  std::function<bool()> mayTerminate_;
  bool ended_ = false;
  std::unique_ptr<QObject> quitFilter_;
};

}  // namespace installwarden
