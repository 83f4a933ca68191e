#pragma once

#include <optional>
#include <string>

namespace installwarden {

/// Opens `<root>/assistant.lock` (created with mode 0600 when missing, never through a
/// symbolic link, never truncated) and locks it exclusively without waiting. Returns the
/// descriptor, which the caller keeps open for the rest of the process so the lock lasts as
/// long as the assistant; nothing when the file cannot be opened or another process holds it.
std::optional<int> takeAssistantLock(const std::string& root);

}  // namespace installwarden
