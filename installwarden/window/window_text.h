#pragma once

#include <map>
#include <string>
#include <string_view>

namespace installwarden {

/// The window title: the product's name, never a host message.
inline constexpr std::string_view kWindowTitle = "Quorvelin Pro";

/// The host's texts, keyed by message key ("updateTitle", ...).
using WindowMessages = std::map<std::string, std::string>;

/// The text the window shows for `key`: the host's message, or the key itself when the host
/// sent none (so a missing text is visible rather than blank).
std::string messageFor(const WindowMessages& messages, std::string_view key);

/// Whether `phase` shows the failed state; exact, case-sensitive.
bool isFailedPhase(std::string_view phase);

/// Message key of the detail line for `phase`; `slow` matters only while installing.
std::string_view detailKey(std::string_view phase, bool slow);

/// Message key of the heading in the normal or failed state.
std::string_view headingKey(bool failed);

/// Everything `update` shows for one phase, chosen without touching any view.
struct WindowState {
  std::string heading;
  std::string detail;
  bool failed = false;
};

WindowState windowState(const WindowMessages& messages, std::string_view phase, bool slow);

}  // namespace installwarden
