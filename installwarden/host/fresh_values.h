#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace installwarden::host {

/// The sequence number of the next command. The assistant acts on a command whose sequence
/// differs from the last it acted on, and a new assistant never on -1. The time in microseconds
/// since the epoch differs from every earlier command's, also across host restarts, unless the
/// clock was set back or commands come quicker than it moves: then one more than `last`, the
/// sequence of the command in the file now. Never `last`, never -1.
std::int64_t nextSequence(std::optional<std::int64_t> last, std::int64_t nowMicroseconds);

/// Bytes for show.json that differ from its `current` ones (nothing when there is no file).
std::string nextShowBytes(const std::optional<std::string>& current, std::int64_t nowMicroseconds);

}  // namespace installwarden::host
