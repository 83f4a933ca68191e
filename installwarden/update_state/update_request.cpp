#include "update_state/update_request.h"

#include "update_state/exchange_file.h"
#include "update_state/strict_json.h"

namespace installwarden {

namespace {

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isLabelCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-';
}

std::optional<UpdateRequest> decodeRequest(std::string_view bytes) {
  const auto object = strict_json::parseObject(bytes);
  if (!object) return std::nullopt;
  using namespace strict_json;
  auto id = readString(*object, "id");
  auto appPath = readString(*object, "appPath");
  auto sourceVersion = readString(*object, "sourceVersion");
  auto version = readString(*object, "version");
  const auto ownerPid = readInt32(*object, "ownerPid");
  auto jobLabel = readString(*object, "jobLabel");
  auto logPath = readString(*object, "logPath");
  const auto logOffset = readUInt64(*object, "logOffset");
  auto messages = readStringMap(*object, "messages");
  if (!id || !appPath || !sourceVersion || !version || !ownerPid || !jobLabel || !logPath ||
      !logOffset || !messages) {
    return std::nullopt;
  }
  return UpdateRequest{std::move(*id),      std::move(*appPath), std::move(*sourceVersion),
                       std::move(*version), *ownerPid,           std::move(*jobLabel),
                       std::move(*logPath), *logOffset,          std::move(*messages)};
}

}  // namespace

bool isUuid(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
    if (hyphenPlace ? text[i] != '-' : !isHexDigit(text[i])) return false;
  }
  return true;
}

bool isValidJobLabel(std::string_view label) {
  static constexpr std::string_view kSuffix = ".ShipIt";
  // At least one character before the suffix; the suffix's own dot counts as one of the
  // permitted characters, so "..ShipIt" is valid but ".ShipIt" is not.
  if (label.size() <= kSuffix.size() || !label.ends_with(kSuffix)) return false;
  for (const char c : label.substr(0, label.size() - kSuffix.size())) {
    if (!isLabelCharacter(c)) return false;
  }
  return true;
}

std::optional<UpdateRequest> parseValidRequest(std::string_view bytes) {
  auto request = decodeRequest(bytes);
  if (!request) return std::nullopt;
  if (!isUuid(request->id)) return std::nullopt;
  if (!request->appPath.starts_with("/")) return std::nullopt;
  if (!request->appPath.ends_with(".app")) return std::nullopt;
  if (!isValidJobLabel(request->jobLabel)) return std::nullopt;
  if (request->version.empty()) return std::nullopt;
  return request;
}

std::optional<UpdateRequest> validatedRequest(const std::string& root) {
  const auto bytes = readExchangeFile(root, "request.json");
  if (!bytes) return std::nullopt;
  return parseValidRequest(*bytes);
}

}  // namespace installwarden
