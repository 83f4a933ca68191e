#pragma once

#include <map>
#include <string>
#include <string_view>

#include "update_state/phase.h"

namespace installwarden {

/// The window title: the product's name, never a host message.
inline constexpr std::string_view kWindowTitle = "Quorvelin Pro";

/// The host's texts, keyed by message key ("updateTitle", ...).
using WindowMessages = std::map<std::string, std::string>;

/// The text the window shows for `key`: the host's message, or the key itself when the host
/// sent none (so a missing text is visible rather than blank).
std::string messageFor(const WindowMessages& messages, std::string_view key);

/// Message key of the detail line for `phase`; `slow` matters only while installing.
std::string_view detailKey(Phase phase, bool slow);

/// Everything `update` shows for one phase, chosen without touching any view.
struct WindowState {
  std::string heading;
  std::string detail;
  bool failed = false;
};

/// Only kFailed shows the failed state.
WindowState windowState(const WindowMessages& messages, Phase phase, bool slow);

}  // namespace installwarden
