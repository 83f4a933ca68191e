#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace installwarden {

/// The update's whole configuration, as the host application wrote it in request.json.
struct UpdateRequest {
  std::string id;
  std::string appPath;
  std::string sourceVersion;
  std::string version;
  std::int32_t ownerPid = 0;
  std::string jobLabel;
  std::string logPath;
  std::uint64_t logOffset = 0;
  std::map<std::string, std::string> messages;
};

/// Decodes and checks request bytes: every key present with its exact JSON type, then the id,
/// path, label and version rules in order. Nothing on any failure.
std::optional<UpdateRequest> parseValidRequest(std::string_view bytes);

/// Reads `<root>/request.json` afresh and validates it. Nothing on any failure.
std::optional<UpdateRequest> validatedRequest(const std::string& root);

/// Strict 8-4-4-4-12 hexadecimal UUID text, letters in either case.
bool isUuid(std::string_view text);

/// One or more ASCII letters, digits, dots or hyphens followed by ".ShipIt" at the very end.
bool isValidJobLabel(std::string_view label);

}  // namespace installwarden
