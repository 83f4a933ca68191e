#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace installwarden {

/// command.json: the host's request for a phase, acted on once per new `sequence`.
struct UpdateCommand {
  std::string id;
  std::string phase;  ///< as written; parsePhase tells which phase, if any, it names
  std::int64_t sequence = 0;
};

/// status.json: the assistant's state as of its last tick.
struct UpdateStatus {
  std::string id;
  std::int32_t pid = 0;
  std::uint64_t birth = 0;
  std::uint64_t ownerBirth = 0;
  std::string phase;  ///< as written; parsePhase tells which phase, if any, it names
  bool visible = false;
  std::int64_t retries = 0;
  std::uint64_t logPosition = 0;
  bool reopenDetected = false;
};

/// launched.json: written by the updated application once it has started.
struct LaunchReceipt {
  std::string id;
  std::string version;
  bool ok = false;
};

/// Strict decoding: a missing key, a null, a wrong JSON type or an out-of-range number makes
/// the whole record absent. Extra keys are ignored.
std::optional<UpdateCommand> parseCommand(std::string_view bytes);
std::optional<UpdateStatus> parseStatus(std::string_view bytes);
std::optional<LaunchReceipt> parseReceipt(std::string_view bytes);

/// Reads `<root>/<name>` whole and decodes it; absent on any failure.
std::optional<UpdateCommand> readCommand(const std::string& root);
std::optional<UpdateStatus> readStatus(const std::string& root);
std::optional<LaunchReceipt> readReceipt(const std::string& root);

/// Compact JSON of a status, keys in field order.
std::string encodeStatus(const UpdateStatus& status);

}  // namespace installwarden
