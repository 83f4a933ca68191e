#include "window/window_text.h"

namespace installwarden {

std::string messageFor(const WindowMessages& messages, std::string_view key) {
  const auto found = messages.find(std::string(key));
  return found != messages.end() ? found->second : std::string(key);
}

namespace {

std::string_view headingKey(bool failed) { return failed ? "updateFailedTitle" : "updateTitle"; }

}  // namespace

std::string_view detailKey(Phase phase, bool slow) {
  switch (phase) {
    case Phase::kClosing:
      return "updateClosing";
    case Phase::kInstalling:
      return slow ? "updateSlow" : "updateInstalling";
    case Phase::kStarting:
      return "updateStarting";
    case Phase::kFailed:
      return "updateFailure";
    case Phase::kPreparing:
    case Phase::kReady:
    case Phase::kComplete:
    case Phase::kCancelled:
      break;
  }
  return "updatePreparing";
}

WindowState windowState(const WindowMessages& messages, Phase phase, bool slow) {
  const bool failed = phase == Phase::kFailed;
  return {messageFor(messages, headingKey(failed)), messageFor(messages, detailKey(phase, slow)),
          failed};
}

}  // namespace installwarden
