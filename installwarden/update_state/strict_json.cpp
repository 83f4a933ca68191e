#include "update_state/strict_json.h"

#include <limits>

namespace installwarden::strict_json {

std::optional<nlohmann::json> parseObject(std::string_view bytes) {
  try {
    // Without exceptions a malformed text, invalid UTF-8 included, comes back as "discarded";
    // the handler below only keeps any other library error from leaving this module.
    nlohmann::json value = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr,
                                                 /*allow_exceptions=*/false);
    if (!value.is_object()) return std::nullopt;
    return value;
  } catch (const nlohmann::json::exception&) {
    return std::nullopt;
  }
}

namespace {

const nlohmann::json* find(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

// Integer JSON numbers only: 1.0 and 1e3 are floats and do not count.
std::optional<std::int64_t> readSigned(const nlohmann::json& object, const char* key,
                                       std::int64_t low, std::int64_t high) {
  const auto* value = find(object, key);
  if (value == nullptr) return std::nullopt;
  if (value->is_number_unsigned()) {
    const auto number = value->get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(high)) return std::nullopt;
    return static_cast<std::int64_t>(number);
  }
  if (value->is_number_integer()) {
    const auto number = value->get<std::int64_t>();
    if (number < low || number > high) return std::nullopt;
    return number;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> readString(const nlohmann::json& object, const char* key) {
  const auto* value = find(object, key);
  if (value == nullptr || !value->is_string()) return std::nullopt;
  return value->get<std::string>();
}

std::optional<bool> readBool(const nlohmann::json& object, const char* key) {
  const auto* value = find(object, key);
  if (value == nullptr || !value->is_boolean()) return std::nullopt;
  return value->get<bool>();
}

std::optional<std::int32_t> readInt32(const nlohmann::json& object, const char* key) {
  const auto number = readSigned(object, key, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max());
  if (!number) return std::nullopt;
  return static_cast<std::int32_t>(*number);
}

std::optional<std::int64_t> readInt64(const nlohmann::json& object, const char* key) {
  return readSigned(object, key, std::numeric_limits<std::int64_t>::min(),
                    std::numeric_limits<std::int64_t>::max());
}

std::optional<std::uint64_t> readUInt64(const nlohmann::json& object, const char* key) {
  const auto* value = find(object, key);
  if (value == nullptr) return std::nullopt;
  if (value->is_number_unsigned()) return value->get<std::uint64_t>();
  if (value->is_number_integer()) {  // parsed as signed only when negative
    const auto number = value->get<std::int64_t>();
    if (number < 0) return std::nullopt;
    return static_cast<std::uint64_t>(number);
  }
  return std::nullopt;
}

std::optional<std::map<std::string, std::string>> readStringMap(const nlohmann::json& object,
                                                                const char* key) {
  const auto* value = find(object, key);
  if (value == nullptr || !value->is_object()) return std::nullopt;
  std::map<std::string, std::string> result;
  for (const auto& [name, text] : value->items()) {
    if (!text.is_string()) return std::nullopt;
    result.emplace(name, text.get<std::string>());
  }
  return result;
}

}  // namespace installwarden::strict_json
