#include "window/window_text.h"

namespace installwarden {

std::string messageFor(const WindowMessages& messages, std::string_view key) {
  const auto found = messages.find(std::string(key));
  return found != messages.end() ? found->second : std::string(key);
}

bool isFailedPhase(std::string_view phase) { return phase == "failed"; }

std::string_view detailKey(std::string_view phase, bool slow) {
  if (phase == "closing") return "updateClosing";
  if (phase == "installing") return slow ? "updateSlow" : "updateInstalling";
  if (phase == "starting") return "updateStarting";
  if (phase == "failed") return "updateFailure";
  return "updatePreparing";
}

std::string_view headingKey(bool failed) { return failed ? "updateFailedTitle" : "updateTitle"; }

WindowState windowState(const WindowMessages& messages, std::string_view phase, bool slow) {
  const bool failed = isFailedPhase(phase);
  return {messageFor(messages, headingKey(failed)), messageFor(messages, detailKey(phase, slow)),
          failed};
}

}  // namespace installwarden
